// Reading the keyframer section of a 3DS file (ReadKeyframer): the main chunk's children are
// walked by their headers, everything but the keyframer skipped by seeking, and the keyframer's
// bytes parsed through a cursor that never leaves its chunk. Bad content is repaired and named
// in the keyframer's warnings: cut chunks, key counts beyond their chunk, keys out of order or on
// one frame, values that are not finite, parents that name no node or loop.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "vtrl3ds/private/compat.h"
#include "vtrl3ds/private/chunks.h"
#include "vtrl3ds/errors.h"
#include "vtrl3ds/keyframer.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/private/keyframing.h"

namespace {

// A bounded view of bytes; every read checks what is left and reports a cut as false.
struct Cursor {
    const uint8_t* p;
    size_t n;

    bool take(size_t k, const uint8_t** out) {
        if (k > n) return false;
        *out = p;
        p += k;
        n -= k;
        return true;
    }
    bool u16(uint16_t& v) {
        const uint8_t* b;
        if (!take(2, &b)) return false;
        v = static_cast<uint16_t>(b[0] | (b[1] << 8));
        return true;
    }
    bool u32(uint32_t& v) {
        const uint8_t* b;
        if (!take(4, &b)) return false;
        v = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
        return true;
    }
    bool f32(float& f) {
        uint32_t v;
        if (!u32(v)) return false;
        f = vtrl3ds_internal::bitCast<float>(v);
        return true;
    }
    bool point(T3dpoint& v) { return f32(v.X) && f32(v.Y) && f32(v.Z); }
    bool str(std::string& s) {
        const void* end = n ? std::memchr(p, 0, n) : nullptr;
        if (!end) return false;
        s.assign(reinterpret_cast<const char*>(p), static_cast<size_t>(static_cast<const uint8_t*>(end) - p));
        p += s.size() + 1;
        n -= s.size() + 1;
        return true;
    }
    // The next sub-chunk: its id and body; false at the end or when its length does not fit.
    bool chunk(uint16_t& id, Cursor& body) {
        uint32_t length;
        if (n < 6 || !u16(id) || !u32(length)) return false;
        if (length < 6 || length - 6 > n) return false;
        body = {p, length - 6};
        p += length - 6;
        n -= length - 6;
        return true;
    }
};

// The repairs made while reading, each kind counted once into one warning line.
struct Repairs {
    int cut = 0, keyCounts = 0, order = 0, notFinite = 0;
};

TKfNodeType nodeType(uint16_t id, bool& known) {
    known = true;
    switch (id) {
        case KEYF_AMBIENTDES:
            return TKfNodeType::Ambient;
        case KEYF_OBJDES:
            return TKfNodeType::Object;
        case KEYF_CAMERADES:
            return TKfNodeType::Camera;
        case KEYF_TARGETDES:
            return TKfNodeType::CameraTarget;
        case KEYF_LIGHTDES:
            return TKfNodeType::Light;
        case KEYF_SPOTDES:
            return TKfNodeType::Spotlight;
        case KEYF_LTARGETDES:
            return TKfNodeType::LightTarget;
        default:
            known = false;
            return TKfNodeType::Object;
    }
}

// A float that is not finite becomes `fallback`.
void finite(float& f, float fallback, Repairs& r) {
    if (!std::isfinite(f)) {
        f = fallback;
        ++r.notFinite;
    }
}

// One key's frame and spline parameters (those its flags say are there).
bool readKeyHeader(Cursor& c, TKfKey& k, Repairs& r) {
    uint32_t frame;
    uint16_t flags;
    if (!c.u32(frame) || !c.u16(flags)) return false;
    k.Frame = static_cast<int32_t>(frame);
    float* fields[] = {&k.Tension, &k.Continuity, &k.Bias, &k.EaseTo, &k.EaseFrom};
    for (int bit = 0; bit < 5; ++bit)
        if (flags & (1u << bit)) {
            if (!c.f32(*fields[bit])) return false;
            finite(*fields[bit], 0, r);
        }
    return true;
}

// Keys sorted by frame; of keys on one frame the last read stays.
void orderKeys(std::vector<TKfKey>& keys, Repairs& r) {
    std::vector<TKfKey> sorted;
    sorted.reserve(keys.size());
    for (const TKfKey& k : keys) {
        auto at = std::lower_bound(sorted.begin(), sorted.end(), k.Frame,
                                   [](const TKfKey& a, int32_t f) { return a.Frame < f; });
        if (at != sorted.end() && at->Frame == k.Frame)
            *at = k;
        else
            sorted.insert(at, k);
    }
    if (sorted.size() != keys.size() ||
        !std::is_sorted(keys.begin(), keys.end(),
                        [](const TKfKey& a, const TKfKey& b) { return a.Frame < b.Frame; }))
        ++r.order;
    keys = std::move(sorted);
}

// A track chunk: flags, two unused words, a key count, then the keys with `values` floats each.
void readTrack(Cursor c, TKfTrack& t, int values, float fallback, Repairs& r) {
    const uint8_t* unused;
    uint32_t count;
    if (!c.u16(t.Flags) || !c.take(8, &unused) || !c.u32(count)) {
        ++r.cut;
        return;
    }
    const size_t smallest = 6 + 4 * static_cast<size_t>(values);
    if (count > c.n / smallest) {
        ++r.keyCounts;
        count = static_cast<uint32_t>(c.n / smallest);
    }
    t.Keys.clear();
    t.Keys.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        TKfKey k;
        bool ok = readKeyHeader(c, k, r);
        for (int v = 0; ok && v < values; ++v) {
            ok = c.f32(k.Value[v]);
            finite(k.Value[v], fallback, r);
        }
        if (!ok) {
            ++r.cut;
            break;
        }
        t.Keys.push_back(k);
    }
    orderKeys(t.Keys, r);
}

void readNodeChunk(uint16_t id, Cursor body, TKfNode& node, Repairs& r) {
    bool ok = true;
    switch (id) {
        case KEYF_NODE_ID:
            ok = body.u16(node.Id);
            break;
        case KEYF_OBJHIERARCH:
            ok = body.str(node.Name) && body.u16(node.Flags1) && body.u16(node.Flags2) &&
                 body.u16(node.ParentId);
            break;
        case KEYF_OBJINSTANCE:
            ok = body.str(node.Instance);
            break;
        case KEYF_OBJPIVOT:
            ok = body.point(node.Pivot);
            break;
        case KEYF_OBJBOUNDBOX:
            ok = body.point(node.BoxMin) && body.point(node.BoxMax);
            break;
        case KEYF_POSTRACK:
            readTrack(body, node.Position, 3, 0, r);
            break;
        case KEYF_ROTTRACK:
            readTrack(body, node.Rotation, 4, 0, r);
            break;
        case KEYF_SCLTRACK:
            readTrack(body, node.Scale, 3, 1, r);
            break;
        case KEYF_HIDETRACK:
            readTrack(body, node.Hide, 0, 0, r);
            break;
        default:
            break;
    }
    if (!ok) ++r.cut;
    for (T3dpoint* p : {&node.Pivot, &node.BoxMin, &node.BoxMax}) {
        finite(p->X, 0, r);
        finite(p->Y, 0, r);
        finite(p->Z, 0, r);
    }
}

void readKeyframerBody(Cursor c, TKeyframer& kf, Repairs& r) {
    uint16_t id;
    Cursor body{};
    while (c.chunk(id, body)) {
        bool isNode;
        const TKfNodeType type = nodeType(id, isNode);
        if (isNode) {
            TKfNode node;
            node.Type = type;
            node.Id = static_cast<uint16_t>(kf.Nodes.size());
            uint16_t sub;
            Cursor subBody{};
            while (body.chunk(sub, subBody)) readNodeChunk(sub, subBody, node, r);
            if (body.n) ++r.cut;
            kf.Nodes.push_back(std::move(node));
        } else if (id == KEYF_SEGMENT) {
            uint32_t a, b;
            if (body.u32(a) && body.u32(b)) {
                kf.SegmentStart = static_cast<int32_t>(a);
                kf.SegmentEnd = static_cast<int32_t>(b);
            }
        } else if (id == KEYF_CURTIME) {
            uint32_t a;
            if (body.u32(a)) kf.CurrentFrame = static_cast<int32_t>(a);
        }
    }
    if (c.n) ++r.cut;
}

void warn(TKeyframer& kf, int count, const char* what) {
    if (count) kf.Warnings.push_back("ReadKeyframer: " + std::to_string(count) + " " + what);
}

// The keyframer chunk's bytes, found among the main chunk's children; empty when there is none.
std::vector<uint8_t> keyframerBytes(TStream& s) {
    const int64_t size = s.Size();
    uint8_t h[6];
    auto header = [&](uint16_t& id, int64_t& end) {
        const int64_t at = s.Position();
        if (size - at < 6 || s.Read(h, 6) != 6) return false;
        id = static_cast<uint16_t>(h[0] | (h[1] << 8));
        const uint32_t length = h[2] | (h[3] << 8) | (h[4] << 16) | (static_cast<uint32_t>(h[5]) << 24);
        end = at + length;
        return length >= 6;
    };
    uint16_t id;
    int64_t mainEnd;
    if (!header(id, mainEnd) || id != MAIN3DS) return {};
    mainEnd = std::min(mainEnd, size);
    int64_t end;
    while (s.Position() < mainEnd && header(id, end)) {
        if (id == KEYF3DS) {
            // A keyframer cut by the end of the file keeps what is there.
            std::vector<uint8_t> bytes(static_cast<size_t>(std::min(end, size) - s.Position()));
            bytes.resize(static_cast<size_t>(s.Read(bytes.data(), static_cast<int64_t>(bytes.size()))));
            return bytes;
        }
        if (end > s.Position()) s.Seek(end - s.Position());
    }
    return {};
}

}  // namespace

TKeyframer ReadKeyframerFromStream(TStream& Stream) {
    TKeyframer kf;
    const std::vector<uint8_t> bytes = keyframerBytes(Stream);
    Repairs r;
    readKeyframerBody(Cursor{bytes.data(), bytes.size()}, kf, r);
    warn(kf, r.cut, "chunks cut short or malformed; what they held before the cut is kept");
    warn(kf, r.keyCounts, "key counts larger than their track chunk; the keys that fit are read");
    warn(kf, r.order,
         "tracks with keys out of frame order or on one frame; sorted, the last key on a frame kept");
    warn(kf, r.notFinite, "values that are not finite numbers; replaced by 0 (1 for scale)");
    vtrl3ds_internal::linkNodes(kf);
    for (TKfNode& n : kf.Nodes) vtrl3ds_internal::accumulateRotations(n.Rotation);
    return kf;
}

TKeyframer ReadKeyframer(const std::string& FileName) {
    TFileStream stream(FileName);
    return ReadKeyframerFromStream(stream);
}

TKeyframer ReadKeyframerOf(const TGLAll3dsMesh& Model) {
    if (Model.FType != Mesh3DS) return {};
    try {
        return ReadKeyframer(Model.FName);
    } catch (const EModelError&) {
        return {};
    }
}

// Regions: the region table, their canonical y-x band form (so equal areas have equal rectangle
// lists), creation from rectangles and RGNDATA, union, hit tests and read-back. Calls with a
// bad handle or malformed data answer 0 (RGN_ERROR) and change nothing.
#include <algorithm>
#include <climits>
#include <cstring>

#include "vitrail/platform/internal.h"

using namespace vtrlplat;

namespace {

using Span = std::pair<int32_t, int32_t>;  // [left, right)

struct Band {
    int32_t top, bottom;
    std::vector<Span> spans;
};

// Sorts spans (when they are not in order already) and joins the ones that overlap or touch.
std::vector<Span> mergeSpans(std::vector<Span> spans) {
    if (!std::is_sorted(spans.begin(), spans.end())) std::sort(spans.begin(), spans.end());
    std::vector<Span> out;
    for (const Span& s : spans) {
        if (!out.empty() && s.first <= out.back().second)
            out.back().second = std::max(out.back().second, s.second);
        else
            out.push_back(s);
    }
    return out;
}

// Appends a band, joining it to the previous one when they meet and cover the same spans.
void appendBand(std::vector<Band>& bands, Band band) {
    if (band.spans.empty() || band.top >= band.bottom) return;
    if (!bands.empty() && bands.back().bottom == band.top && bands.back().spans == band.spans) {
        bands.back().bottom = band.bottom;
        return;
    }
    bands.push_back(std::move(band));
}

std::vector<RECT> rectsOf(const std::vector<Band>& bands) {
    std::vector<RECT> out;
    for (const Band& b : bands)
        for (const Span& s : b.spans) out.push_back(RECT{s.first, b.top, s.second, b.bottom});
    return out;
}

std::vector<Band> bandsOf(const std::vector<RECT>& canonical) {
    std::vector<Band> out;
    for (const RECT& r : canonical) {
        if (out.empty() || out.back().top != r.top) out.push_back(Band{r.top, r.bottom, {}});
        out.back().spans.push_back({r.left, r.right});
    }
    return out;
}

// The canonical form of any set of rectangles: each one is cut at every band edge of the set.
std::vector<RECT> normalise(const std::vector<RECT>& rects) {
    std::vector<int32_t> edges;
    for (const RECT& r : rects)
        if (r.left < r.right && r.top < r.bottom) edges.insert(edges.end(), {r.top, r.bottom});
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    if (edges.empty()) return {};
    std::vector<std::vector<Span>> cut(edges.size() - 1);
    for (const RECT& r : rects) {
        if (r.left >= r.right || r.top >= r.bottom) continue;
        auto first = std::lower_bound(edges.begin(), edges.end(), r.top) - edges.begin();
        auto last = std::lower_bound(edges.begin(), edges.end(), r.bottom) - edges.begin();
        for (auto i = first; i < last; ++i) cut[static_cast<size_t>(i)].push_back({r.left, r.right});
    }
    std::vector<Band> bands;
    for (size_t i = 0; i < cut.size(); ++i)
        appendBand(bands, Band{edges[i], edges[i + 1], mergeSpans(cut[i])});
    return rectsOf(bands);
}

// The union of two canonical regions, one sweep down both band lists.
std::vector<RECT> sweep(const std::vector<RECT>& a, const std::vector<RECT>& b) {
    const std::vector<Band> ba = bandsOf(a), bb = bandsOf(b);
    std::vector<Band> out;
    size_t i = 0, j = 0;
    int32_t y = INT32_MIN;
    while (i < ba.size() || j < bb.size()) {
        const Band* na = i < ba.size() ? &ba[i] : nullptr;
        const Band* nb = j < bb.size() ? &bb[j] : nullptr;
        const int32_t nextTop = std::min(na ? na->top : INT32_MAX, nb ? nb->top : INT32_MAX);
        y = std::max(y, nextTop);
        const bool inA = na && na->top <= y, inB = nb && nb->top <= y;
        int32_t end = INT32_MAX;
        if (na) end = std::min(end, inA ? na->bottom : na->top);
        if (nb) end = std::min(end, inB ? nb->bottom : nb->top);
        std::vector<Span> spans;
        if (inA) spans = na->spans;
        if (inB) {
            spans.insert(spans.end(), nb->spans.begin(), nb->spans.end());
            std::inplace_merge(spans.begin(), spans.end() - static_cast<std::ptrdiff_t>(nb->spans.size()),
                               spans.end());
        }
        appendBand(out, Band{y, end, mergeSpans(std::move(spans))});
        if (inA && na->bottom == end) ++i;
        if (inB && nb->bottom == end) ++j;
        y = end;
    }
    return rectsOf(out);
}

// The rectangles of the band ending at `end` (exclusive) of a canonical list.
size_t bandStart(const std::vector<RECT>& rects, size_t end) {
    size_t start = end;
    while (start > 0 && rects[start - 1].top == rects[end - 1].top) --start;
    return start;
}

// a := a united with b, both canonical. The bands of a wholly above b's first band stay as they
// are (regions gathered row by row are merged where they meet, so this is nearly all of a); only
// the rest is swept with b, and its first band joined to the last kept one if they now match.
void uniteInto(std::vector<RECT>& a, const std::vector<RECT>& b) {
    if (b.empty()) return;
    const int32_t top = b.front().top;
    const auto kept = static_cast<size_t>(
        std::partition_point(a.begin(), a.end(), [top](const RECT& r) { return r.bottom <= top; }) -
        a.begin());
    const std::vector<RECT> rest =
        sweep(std::vector<RECT>(a.begin() + static_cast<std::ptrdiff_t>(kept), a.end()), b);
    a.resize(kept);
    size_t from = 0;
    if (kept > 0 && !rest.empty()) {
        const size_t lastStart = bandStart(a, kept), restEnd = [&] {
            size_t e = 0;
            while (e < rest.size() && rest[e].top == rest.front().top) ++e;
            return e;
        }();
        const bool sameSpans =
            kept - lastStart == restEnd &&
            std::equal(a.begin() + static_cast<std::ptrdiff_t>(lastStart), a.end(), rest.begin(),
                       [](const RECT& p, const RECT& q) { return p.left == q.left && p.right == q.right; });
        if (sameSpans && a.back().bottom == rest.front().top) {
            for (size_t k = lastStart; k < kept; ++k) a[k].bottom = rest.front().bottom;
            from = restEnd;
        }
    }
    a.insert(a.end(), rest.begin() + static_cast<std::ptrdiff_t>(from), rest.end());
}

int32_t complexity(const Region& r) {
    if (r.rects.empty()) return NULLREGION;
    return r.rects.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

RECT boxOf(const Region& r) {
    if (r.rects.empty()) return RECT{0, 0, 0, 0};
    RECT box{INT32_MAX, r.rects.front().top, INT32_MIN, r.rects.back().bottom};
    for (const RECT& x : r.rects) {
        box.left = std::min(box.left, x.left);
        box.right = std::max(box.right, x.right);
    }
    return box;
}

}  // namespace

namespace vtrlplat {

Region* findRegion(HRGN rgn) {
    auto it = state().regions.find(rgn);
    return it == state().regions.end() ? nullptr : &it->second;
}

bool regionContains(const Region& r, int32_t x, int32_t y) {
    // Bottoms never decrease along the list: the first rectangle ending below y starts its band.
    auto it =
        std::partition_point(r.rects.begin(), r.rects.end(), [y](const RECT& q) { return q.bottom <= y; });
    for (; it != r.rects.end() && it->top <= y; ++it)
        if (x >= it->left && x < it->right) return true;
    return false;
}

HRGN makeRegion(const std::vector<RECT>& rects) {
    const HRGN h = newHandle();
    state().regions[h] = Region{normalise(rects), 0};
    return h;
}

}  // namespace vtrlplat

BOOL SetRect(RECT* rect, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (!rect) return 0;
    *rect = RECT{left, top, right, bottom};
    return 1;
}

HRGN CreateRectRgn(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    // Corners may come in any order.
    return makeRegion(
        {RECT{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)}});
}

HRGN ExtCreateRegion(const XFORM* xform, DWORD size, const RGNDATA* data) {
    if (xform || !data || size < sizeof(RGNDATAHEADER)) return 0;
    RGNDATAHEADER header;
    std::memcpy(&header, data, sizeof header);
    if (header.dwSize != sizeof(RGNDATAHEADER) || header.iType != RDH_RECTANGLES) return 0;
    // The count is checked against the bytes given before any rectangle is read.
    if (header.nCount > (size - sizeof(RGNDATAHEADER)) / sizeof(RECT)) return 0;
    std::vector<RECT> rects(header.nCount);
    if (header.nCount)
        std::memcpy(rects.data(), reinterpret_cast<const char*>(data) + sizeof header,
                    header.nCount * sizeof(RECT));
    return makeRegion(rects);
}

int32_t CombineRgn(HRGN dst, HRGN a, HRGN b, int32_t mode) {
    Region* out = findRegion(dst);
    const Region* ra = findRegion(a);
    if (!out || out->owner || !ra) return RGN_ERROR;
    if (mode == RGN_COPY) {
        out->rects = ra->rects;
        return complexity(*out);
    }
    const Region* rb = findRegion(b);
    if (mode != RGN_OR || !rb) return RGN_ERROR;
    if (out == rb) std::swap(ra, rb);  // the union is the same either way round
    if (out != ra) out->rects = ra->rects;
    if (rb != out) uniteInto(out->rects, rb->rects);
    return complexity(*out);
}

BOOL PtInRegion(HRGN rgn, int32_t x, int32_t y) {
    const Region* r = findRegion(rgn);
    return r && regionContains(*r, x, y) ? 1 : 0;
}

int32_t GetRgnBox(HRGN rgn, RECT* box) {
    const Region* r = findRegion(rgn);
    if (!r || !box) return RGN_ERROR;
    *box = boxOf(*r);
    return complexity(*r);
}

BOOL EqualRgn(HRGN a, HRGN b) {
    const Region* ra = findRegion(a);
    const Region* rb = findRegion(b);
    if (!ra || !rb) return 0;
    return std::equal(ra->rects.begin(), ra->rects.end(), rb->rects.begin(), rb->rects.end(),
                      [](const RECT& p, const RECT& q) {
                          return p.left == q.left && p.top == q.top && p.right == q.right &&
                                 p.bottom == q.bottom;
                      });
}

DWORD GetRegionData(HRGN rgn, DWORD size, RGNDATA* out) {
    const Region* r = findRegion(rgn);
    if (!r) return 0;
    const size_t bytes = r->rects.size() * sizeof(RECT);
    const size_t needed = sizeof(RGNDATAHEADER) + bytes;
    if (needed > UINT32_MAX) return 0;
    if (!out) return static_cast<DWORD>(needed);
    if (size < needed) return 0;
    const RGNDATAHEADER header{sizeof(RGNDATAHEADER), RDH_RECTANGLES, static_cast<DWORD>(r->rects.size()),
                               static_cast<DWORD>(bytes), boxOf(*r)};
    std::memcpy(out, &header, sizeof header);
    if (bytes) std::memcpy(reinterpret_cast<char*>(out) + sizeof header, r->rects.data(), bytes);
    return static_cast<DWORD>(needed);
}

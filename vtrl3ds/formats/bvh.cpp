// The BVH motion loader: TGLSkeleton::LoadBVHFromFile and LoadBVHFromStream. One walk over the
// lines builds a bone per ROOT or JOINT (open blocks are kept on an explicit stack, so nesting
// depth costs no recursion), then reads one position and one rotation key per bone and frame,
// each column going to the channel its name gives, and keeps 1 / Frame Time as the playback rate.
// The same walk fills a motion table instead of keys (LoadMotion): channel names, End Sites and
// the numbers as they stand in the file.
// Failures raise EConvertError (text that is
// not a number or not BVH), ERangeError (counts), EIndexError (too few numbers) or EStreamError
// (text that ends early), all naming source and line; bones built before stay owned by the
// skeleton and none is initialised.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vtrl3ds/errors.h"
#include "vtrl3ds/locale.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/motion.h"
#include "vtrl3ds/skeleton.h"
#include "vtrl3ds/stream.h"

using vtrl3ds_internal::textToInt;
using vtrl3ds_internal::textToReal;

namespace {

constexpr double degreesToRadians = 3.14159265358979323846 / 180.0;
constexpr int32_t noBlock = -2;  // no ROOT, JOINT or End Site waits for its opening brace
constexpr int32_t endSite = -1;  // an End Site block (bones are 0 and up)

// Where one column of the motion data goes.
enum class Slot : uint8_t { PosX, PosY, PosZ, RotX, RotY, RotZ, Unused };

struct Column {
    TGL3dsBone* bone;
    Slot slot;
};

// What the walk knows of a bone beyond its fields.
struct BoneState {
    int32_t parent = -1;  // index of the bone whose block holds it; -1 for a root
    bool position = false, rotation = false;
    bool offsetSeen = false, channelsSeen = false;
};

bool isBlank(char c) {
    return static_cast<unsigned char>(c) >= 1 && static_cast<unsigned char>(c) <= 32;
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool startsWithWord(std::string_view s, std::string_view lowerWord) {
    if (s.size() < lowerWord.size()) return false;
    for (size_t i = 0; i < lowerWord.size(); ++i)
        if (lowerAscii(s[i]) != lowerWord[i]) return false;
    return true;
}

bool isWord(std::string_view s, std::string_view lowerWord) {
    return s.size() == lowerWord.size() && startsWithWord(s, lowerWord);
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// The first word of a trimmed line and the trimmed rest.
std::pair<std::string_view, std::string_view> splitWord(std::string_view line) {
    size_t n = 0;
    while (n < line.size() && !isBlank(line[n])) ++n;
    return {line.substr(0, n), trimmed(line.substr(n))};
}

// Removes a trailing "{" (a block opened on its header line); true when there was one.
bool takeOpeningBrace(std::string_view& rest) {
    if (rest.empty() || rest.back() != '{') return false;
    rest = trimmed(rest.substr(0, rest.size() - 1));
    return true;
}

// A line shortened for a message, bytes outside printable ASCII shown as '?'.
std::string quoted(std::string_view s) {
    std::string q(s.substr(0, 40));
    for (char& c : q)
        if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126) c = '?';
    return "'" + q + (s.size() > 40 ? "...'" : "'");
}

Slot slotOf(std::string_view name) {
    static constexpr std::string_view names[] = {"xposition", "yposition", "zposition",
                                                 "xrotation", "yrotation", "zrotation"};
    for (size_t i = 0; i < 6; ++i)
        if (isWord(name, names[i])) return static_cast<Slot>(i);
    return Slot::Unused;
}

// The rotation-order flag of three channel names, 0 when they are no rotation order.
int32_t rotationOrder(const std::vector<std::string_view>& names, size_t first) {
    static constexpr struct {
        Slot a, b, c;
        int32_t code;
    } orders[] = {{Slot::RotX, Slot::RotY, Slot::RotZ, ChannelTypeRXYZ},
                  {Slot::RotZ, Slot::RotX, Slot::RotY, ChannelTypeRZXY},
                  {Slot::RotY, Slot::RotZ, Slot::RotX, ChannelTypeRYZX},
                  {Slot::RotZ, Slot::RotY, Slot::RotX, ChannelTypeRZYX},
                  {Slot::RotX, Slot::RotZ, Slot::RotY, ChannelTypeRXZY},
                  {Slot::RotY, Slot::RotX, Slot::RotZ, ChannelTypeRYXZ}};
    if (names.size() < first + 3) return ChannelTypeNone;
    for (const auto& o : orders)
        if (slotOf(names[first]) == o.a && slotOf(names[first + 1]) == o.b && slotOf(names[first + 2]) == o.c)
            return o.code;
    return ChannelTypeNone;
}

// The channel-layout code: a first channel Xposition adds ChannelTypeTranslate to the order of
// channels 4..6; otherwise channels 1..3 give the order. It describes the common layouts only;
// the keys are filled from the channel names whatever the code says.
int32_t layoutCode(const std::vector<std::string_view>& names) {
    if (!names.empty() && slotOf(names[0]) == Slot::PosX)
        return ChannelTypeTranslate + rotationOrder(names, 3);
    return rotationOrder(names, 0);
}

// The whole remaining content of a stream.
std::string readRest(TStream& stream) {
    const int64_t left = std::max<int64_t>(stream.Size() - stream.Position(), 0);
    std::string text;
    text.resize(static_cast<size_t>(left));
    text.resize(static_cast<size_t>(stream.Read(text.data(), left)));
    return text;
}

// The state of one load.
class BvhReader {
  public:
    // Table, when given, receives the motion instead of the skeleton's keys.
    BvhReader(TGLSkeleton& skeleton, std::string_view text, std::string source, TMotion* table = nullptr)
        : FSkeleton(skeleton),
          FTable(table),
          FText(text),
          FSource(std::move(source)),
          FSeparator(DecimalSeparator()) {
        for (int c = 1; c <= 32; ++c) FIsSeparator[c] = true;
        FIsSeparator[static_cast<unsigned char>(',')] = FSeparator != ',';
    }
    void run();

  private:
    bool nextLine();
    template <typename E>
    [[noreturn]] void fail(const std::string& fact) const {
        throw E("LoadBVHFromStream: " + FSource + ":" + std::to_string(FLineNo) + ": " + fact);
    }
    std::vector<std::string_view> fields(std::string_view s) const;
    float real(std::string_view field) const;
    std::string blockName(int32_t block) const;

    void hierarchyLine();
    void braces(std::string_view s);
    void openBlock();
    void closeBlock();
    void newBone(std::string_view rest, bool root);
    void endSiteLine(std::string_view rest);
    int32_t receivingBone(const char* keyword) const;
    void offsetLine(std::string_view rest);
    void endSiteOffset(std::string_view rest);
    void channelsLine(std::string_view rest);
    void startMotion();
    void motionSectionLine();
    void framesLine();
    void frameTimeLine();
    void checkFrameCount(int32_t frames) const;
    void motionLine();
    void finishFrame(size_t f);
    void finish();
    void finishTable();

    TGLSkeleton& FSkeleton;
    TMotion* FTable;
    std::string_view FText;
    std::string FSource;
    char FSeparator;
    bool FIsSeparator[256] = {};
    size_t FPos = 0, FNextLF = 0, FNextCR = 0;  // line walk; next '\n' and '\r' at or after FPos
    bool FSearched = false;
    size_t FLineNo = 0;
    std::string_view FLine;  // the current line, trimmed, never empty

    std::vector<BoneState> FState;  // per bone
    std::vector<int32_t> FBlocks;   // open blocks, innermost last: bone index or endSite
    int32_t FPending = noBlock;     // the header waiting for its opening brace
    std::vector<Column> FColumns;   // motion columns in file order
    bool FInMotion = false, FFramesSeen = false;
};

void BvhReader::run() {
    FSkeleton.FBone.clear();
    FSkeleton.FNumBones = FSkeleton.FNumFrames = FSkeleton.FCurrentFrame = 0;
    FSkeleton.FBVHMotion = true;
    FSkeleton.FFrameRate = 30;
    while (nextLine()) {
        if (FInMotion)
            motionSectionLine();
        else
            hierarchyLine();
    }
    finish();
}

// Lines end at CR, LF or CR LF; lines holding only bytes 1..32 are skipped. The next CR and LF
// are searched once each and reused until the walk passes them, so the walk stays linear even in
// a file using one kind of line end only.
bool BvhReader::nextLine() {
    const char* base = FText.data();
    auto search = [&](char c) {
        const void* p = std::memchr(base + FPos, c, FText.size() - FPos);
        return p ? static_cast<size_t>(static_cast<const char*>(p) - base) : FText.size();
    };
    while (FPos < FText.size()) {
        if (!FSearched || FNextLF < FPos) FNextLF = search('\n');
        if (!FSearched || FNextCR < FPos) FNextCR = search('\r');
        FSearched = true;
        const size_t end = std::min(FNextLF, FNextCR);
        const std::string_view line = trimmed(FText.substr(FPos, end - FPos));
        FPos = end;
        if (FPos < FText.size())
            FPos += (FText[FPos] == '\r' && FPos + 1 < FText.size() && FText[FPos + 1] == '\n') ? 2 : 1;
        ++FLineNo;
        if (!line.empty()) {
            FLine = line;
            return true;
        }
    }
    return false;
}

// Fields are split at runs of bytes 1..32 and at commas (unless the comma is the decimal separator).
std::vector<std::string_view> BvhReader::fields(std::string_view s) const {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && FIsSeparator[static_cast<unsigned char>(s[i])]) ++i;
        const size_t start = i;
        while (i < s.size() && !FIsSeparator[static_cast<unsigned char>(s[i])]) ++i;
        if (i > start) out.push_back(s.substr(start, i - start));
    }
    return out;
}

float BvhReader::real(std::string_view field) const {
    float v = 0;
    if (!textToReal(field, FSeparator, v))
        fail<EConvertError>(quoted(field) + " is not a number (decimal separator '" +
                            std::string(1, FSeparator) + "')");
    return v;
}

std::string BvhReader::blockName(int32_t block) const {
    if (block == endSite) return "End Site";
    const TGL3dsBone* bone = FSkeleton.FBone[static_cast<size_t>(block)];
    return (FState[static_cast<size_t>(block)].parent < 0 ? "ROOT " : "JOINT ") + bone->FName;
}

void BvhReader::hierarchyLine() {
    if (FLine.front() == '{' || FLine.front() == '}') return braces(FLine);
    if (FPending != noBlock) fail<EConvertError>("expected opening brace after " + blockName(FPending));
    const auto [word, rest] = splitWord(FLine);
    if (isWord(word, "hierarchy")) return;
    if (isWord(word, "root")) return newBone(rest, true);
    if (isWord(word, "joint")) return newBone(rest, false);
    if (isWord(word, "end")) return endSiteLine(rest);
    if (isWord(word, "offset")) return offsetLine(rest);
    if (isWord(word, "channels")) return channelsLine(rest);
    if (isWord(word, "motion")) return startMotion();
    if (startsWithWord(word, "frames") && (word.size() == 6 || word[6] == ':')) {
        startMotion();
        return framesLine();
    }
    fail<EConvertError>("unexpected " + quoted(FLine) + " in the hierarchy");
}

void BvhReader::braces(std::string_view s) {
    for (const char c : s) {
        if (c == '{')
            openBlock();
        else if (c == '}')
            closeBlock();
        else if (!isBlank(c))
            fail<EConvertError>("unexpected " + quoted(s) + " on a line of braces");
    }
}

void BvhReader::openBlock() {
    if (FPending == noBlock) fail<EConvertError>("opening brace without a ROOT, JOINT or End Site before it");
    FBlocks.push_back(FPending);
    FPending = noBlock;
}

void BvhReader::closeBlock() {
    if (FPending != noBlock) fail<EConvertError>("expected opening brace after " + blockName(FPending));
    if (FBlocks.empty()) fail<EConvertError>("closing brace without an open block");
    FBlocks.pop_back();
}

void BvhReader::newBone(std::string_view rest, bool root) {
    const bool opens = takeOpeningBrace(rest);
    const char* keyword = root ? "ROOT" : "JOINT";
    if (rest.empty()) fail<EConvertError>(std::string(keyword) + " without a name");
    if (root && !FBlocks.empty())
        fail<EConvertError>("ROOT inside the block of " + blockName(FBlocks.back()));
    if (!root && FBlocks.empty()) fail<ERangeError>("JOINT outside any ROOT block");
    if (!root && FBlocks.back() == endSite) fail<EConvertError>("JOINT inside an End Site block");
    if (FSkeleton.FBone.size() >= static_cast<size_t>(MaxSkeletonBones))
        fail<ERangeError>("more than " + std::to_string(MaxSkeletonBones) + " joints");
    auto* bone = new TGL3dsBone(&FSkeleton);
    bone->FName = std::string(rest);
    BoneState state;
    if (!root) {
        state.parent = FBlocks.back();
        bone->FParentName = FSkeleton.FBone[static_cast<size_t>(state.parent)]->FName;
    }
    FSkeleton.FBone.push_back(bone);
    FSkeleton.FNumBones = static_cast<int32_t>(FSkeleton.FBone.size());
    if (FTable) FTable->FChannels.emplace_back();
    FState.push_back(state);
    FPending = FSkeleton.FNumBones - 1;
    if (opens) openBlock();
}

void BvhReader::endSiteLine(std::string_view rest) {
    const bool opens = takeOpeningBrace(rest);
    if (!isWord(rest, "site")) fail<EConvertError>("unexpected " + quoted(FLine) + " in the hierarchy");
    if (FBlocks.empty() || FBlocks.back() == endSite)
        fail<EConvertError>("End Site outside a ROOT or JOINT block");
    FPending = endSite;
    if (opens) openBlock();
}

// The bone whose block is innermost, which OFFSET and CHANNELS lines describe; endSite for an end
// site, whose lines are not kept.
int32_t BvhReader::receivingBone(const char* keyword) const {
    if (FBlocks.empty()) fail<ERangeError>(std::string(keyword) + " outside a ROOT or JOINT block");
    return FBlocks.back();
}

void BvhReader::offsetLine(std::string_view rest) {
    const int32_t b = receivingBone("OFFSET");
    if (b == endSite) return endSiteOffset(rest);
    BoneState& state = FState[static_cast<size_t>(b)];
    TGL3dsBone& bone = *FSkeleton.FBone[static_cast<size_t>(b)];
    if (state.offsetSeen) fail<EConvertError>("second OFFSET in the block of " + blockName(b));
    const std::vector<std::string_view> f = fields(rest);
    if (f.size() < 3) fail<EIndexError>("OFFSET needs 3 numbers, found " + std::to_string(f.size()));
    if (f.size() > 3) fail<ERangeError>("OFFSET needs 3 numbers, found " + std::to_string(f.size()));
    bone.FTranslate = {real(f[0]), real(f[1]), real(f[2])};
    bone.FRotate = {0, 0, 0};
    state.offsetSeen = true;
}

// A table keeps the End Site's offset with the joint whose block holds it (the first End Site of
// a joint that has several); the skeleton keeps none.
void BvhReader::endSiteOffset(std::string_view rest) {
    if (!FTable || FBlocks.size() < 2) return;
    const size_t joint = static_cast<size_t>(FBlocks[FBlocks.size() - 2]);
    const std::vector<std::string_view> f = fields(rest);
    if (f.size() != 3) fail<ERangeError>("OFFSET needs 3 numbers, found " + std::to_string(f.size()));
    if (FTable->FHasEndSite.size() <= joint) {
        FTable->FHasEndSite.resize(FSkeleton.FBone.size(), false);
        FTable->FEndSites.resize(FSkeleton.FBone.size(), T3dpoint{0, 0, 0});
    }
    if (FTable->FHasEndSite[joint]) return;
    FTable->FHasEndSite[joint] = true;
    FTable->FEndSites[joint] = {real(f[0]), real(f[1]), real(f[2])};
}

// A channel name the loader does not know (a scale channel, say) still takes its column, whose
// values are passed over, so the columns of later channels stay where the file puts them.
void BvhReader::channelsLine(std::string_view rest) {
    const int32_t b = receivingBone("CHANNELS");
    if (b == endSite) return;
    BoneState& state = FState[static_cast<size_t>(b)];
    TGL3dsBone* bone = FSkeleton.FBone[static_cast<size_t>(b)];
    if (state.channelsSeen) fail<EConvertError>("second CHANNELS in the block of " + blockName(b));
    std::vector<std::string_view> names = fields(rest);
    if (names.empty()) fail<EIndexError>("CHANNELS without a channel count");
    int32_t count = 0;
    if (!textToInt(names[0], count)) fail<EConvertError>(quoted(names[0]) + " is not a channel count");
    names.erase(names.begin());
    if (count < 0 || static_cast<size_t>(count) != names.size())
        fail<ERangeError>("CHANNELS declares " + std::to_string(count) + " channels but names " +
                          std::to_string(names.size()));
    for (const std::string_view name : names) {
        const Slot slot = slotOf(name);
        FColumns.push_back({bone, slot});
        state.position |= slot <= Slot::PosZ;
        state.rotation |= slot >= Slot::RotX && slot <= Slot::RotZ;
    }
    bone->FBVHChannelType = layoutCode(names);
    state.channelsSeen = true;
    if (FTable) FTable->FChannels[static_cast<size_t>(b)].assign(names.begin(), names.end());
}

void BvhReader::startMotion() {
    if (FPending != noBlock) fail<EConvertError>("expected opening brace after " + blockName(FPending));
    if (!FBlocks.empty())
        fail<EConvertError>("motion section inside the block of " + blockName(FBlocks.back()) +
                            " (missing closing brace)");
    FInMotion = true;
}

void BvhReader::motionSectionLine() {
    const char c = lowerAscii(FLine.front());
    if (c < 'a' || c > 'z') return motionLine();
    const auto [word, rest] = splitWord(FLine);
    if (startsWithWord(word, "frames") && (word.size() == 6 || word[6] == ':')) return framesLine();
    if (isWord(word, "frame") && startsWithWord(rest, "time")) return frameTimeLine();
    fail<EConvertError>("unexpected " + quoted(FLine) + " in the motion section");
}

void BvhReader::framesLine() {
    if (FFramesSeen) fail<EConvertError>("second Frames line");
    const size_t colon = FLine.find(':');
    if (colon == std::string_view::npos) fail<EConvertError>("Frames line without a colon");
    int32_t frames = 0;
    if (!textToInt(FLine.substr(colon + 1), frames))
        fail<EConvertError>(quoted(trimmed(FLine.substr(colon + 1))) + " is not a frame count");
    if (frames < 0) fail<ERangeError>("negative frame count " + std::to_string(frames));
    checkFrameCount(frames);
    FSkeleton.FNumFrames = frames;
    FFramesSeen = true;
    if (FTable) {
        FTable->FNumFrames = static_cast<size_t>(frames);
        FTable->FValues.assign(static_cast<size_t>(frames) * FColumns.size(), 0.0f);
        return;
    }
    for (TGL3dsBone* bone : FSkeleton.FBone) {
        bone->FTranslateFrame.assign(static_cast<size_t>(frames), TKeyFrame{});
        bone->FRotateFrame.assign(static_cast<size_t>(frames), TKeyFrame{});
        bone->FNumTranslateFrames = bone->FNumRotateFrames = frames;
    }
}

// The playback rate is 1 / Frame Time; a time that is not a positive number leaves 30 frames a second.
void BvhReader::frameTimeLine() {
    const size_t colon = FLine.find(':');
    float seconds = 0;
    if (colon != std::string_view::npos &&
        textToReal(trimmed(FLine.substr(colon + 1)), FSeparator, seconds) && seconds > 0 &&
        std::isfinite(1 / seconds)) {
        FSkeleton.FFrameRate = 1 / seconds;
        if (FTable) FTable->FFrameTime = seconds;
    }
}

// Checked before any key exists. Every frame is a line of one number per channel (at least two
// bytes each, with its separator or line end), so the frames must fit in the bytes that follow.
// Joints without channels take no bytes of a frame but still get a key pair per frame: their keys
// may take up to keyAllowance plus keysPerTextByte bytes per byte of the text, far beyond what
// real files ask for, but not the gigabytes a few bytes could otherwise demand.
void BvhReader::checkFrameCount(int32_t frames) const {
    constexpr uint64_t keyAllowance = uint64_t{64} << 20, keysPerTextByte = 64;
    const uint64_t left = FText.size() - FPos + 1;
    const uint64_t perFrame = std::max<uint64_t>(2 * FColumns.size(), 1);
    if (FColumns.empty() && static_cast<uint64_t>(frames) > left)
        fail<ERangeError>("Frames: " + std::to_string(frames) +
                          " frames of no channels need a line end each, but only " +
                          std::to_string(left - 1) + " bytes follow");
    if (static_cast<uint64_t>(frames) > left / perFrame)
        fail<ERangeError>("Frames: " + std::to_string(frames) + " frames of " +
                          std::to_string(FColumns.size()) + " channels cannot fit in the " +
                          std::to_string(left - 1) + " bytes that follow");
    const uint64_t keyBytes = static_cast<uint64_t>(frames) * FSkeleton.FBone.size() * 2 * sizeof(TKeyFrame);
    if (keyBytes > keyAllowance + keysPerTextByte * FText.size())
        fail<ERangeError>("Frames: " + std::to_string(frames) + " frames of " +
                          std::to_string(FSkeleton.FBone.size()) + " joints need " +
                          std::to_string(keyBytes) + " bytes of keys, more than a text of " +
                          std::to_string(FText.size()) + " bytes is allowed");
}

void BvhReader::motionLine() {
    if (!FFramesSeen) fail<ERangeError>("motion data before the Frames line");
    if (FSkeleton.FCurrentFrame >= FSkeleton.FNumFrames)
        fail<ERangeError>("more motion lines than the " + std::to_string(FSkeleton.FNumFrames) +
                          " frames declared");
    const size_t f = static_cast<size_t>(FSkeleton.FCurrentFrame++);
    static constexpr float T3dpoint::*axes[3] = {&T3dpoint::X, &T3dpoint::Y, &T3dpoint::Z};
    const char* p = FLine.data();
    const char* end = p + FLine.size();
    size_t column = 0;
    while (p < end) {
        while (p < end && FIsSeparator[static_cast<unsigned char>(*p)]) ++p;
        if (p == end) break;
        if (column == FColumns.size())
            fail<ERangeError>("more than the " + std::to_string(FColumns.size()) + " numbers of a frame");
        // The plain form is converted as it is found; any other field is cut out and converted whole.
        float v = 0;
        const char* stop = p + vtrl3ds_internal::plainDecimal(p, end, FSeparator, v);
        if (stop == p || (stop < end && !FIsSeparator[static_cast<unsigned char>(*stop)])) {
            const char* start = p;
            while (p < end && !FIsSeparator[static_cast<unsigned char>(*p)]) ++p;
            v = real(std::string_view(start, static_cast<size_t>(p - start)));
        } else {
            p = stop;
        }
        if (FTable) {
            FTable->FValues[f * FColumns.size() + column++] = v;
            continue;
        }
        const Column& c = FColumns[column++];
        if (c.slot <= Slot::PosZ)
            c.bone->FTranslateFrame[f].BVH_Value.*axes[static_cast<int>(c.slot)] = v;
        else if (c.slot <= Slot::RotZ)
            c.bone->FRotateFrame[f].BVH_Value.*axes[static_cast<int>(c.slot) - 3] = v;
    }
    if (column < FColumns.size())
        fail<EIndexError>("a frame needs " + std::to_string(FColumns.size()) + " numbers, found " +
                          std::to_string(column));
    if (!FTable) finishFrame(f);
}

// Keys of frame index f: times for the channels a bone has, Value from BVH_Value (rotations in radians).
void BvhReader::finishFrame(size_t f) {
    const int32_t time = static_cast<int32_t>(f) + 1;
    for (size_t b = 0; b < FState.size(); ++b) {
        TKeyFrame& position = FSkeleton.FBone[b]->FTranslateFrame[f];
        TKeyFrame& rotation = FSkeleton.FBone[b]->FRotateFrame[f];
        if (FState[b].position) position.Time = time;
        if (FState[b].rotation) rotation.Time = time;
        position.Value = position.BVH_Value;
        const T3dpoint& d = rotation.BVH_Value;
        rotation.Value = {static_cast<float>(d.X * degreesToRadians),
                          static_cast<float>(d.Y * degreesToRadians),
                          static_cast<float>(d.Z * degreesToRadians)};
    }
}

// A file that ends inside a block or before its last frame is refused. The bones are then
// initialised in list order with the parents the nesting gave (a parent precedes its children).
void BvhReader::finish() {
    if (FPending != noBlock)
        fail<EStreamError>("the text ends after " + blockName(FPending) + " before its opening brace");
    if (!FBlocks.empty())
        fail<EStreamError>("the text ends inside the block of " + blockName(FBlocks.back()) +
                           " (missing closing brace)");
    if (FSkeleton.FCurrentFrame < FSkeleton.FNumFrames)
        fail<EStreamError>("motion data ends after " + std::to_string(FSkeleton.FCurrentFrame) + " of " +
                           std::to_string(FSkeleton.FNumFrames) + " frames");
    FSkeleton.FCurrentFrame = 0;
    if (FTable) return finishTable();
    for (size_t b = 0; b < FState.size(); ++b) {
        const int32_t parent = FState[b].parent;
        FSkeleton.FBone[b]->InitWithParent(parent < 0 ? nullptr
                                                      : FSkeleton.FBone[static_cast<size_t>(parent)]);
    }
}

// The table's joints, parents and offsets from the bones; End Site lists as long as the joints.
void BvhReader::finishTable() {
    const size_t n = FState.size();
    for (size_t b = 0; b < n; ++b) {
        FTable->FJoints.push_back(FSkeleton.FBone[b]->FName);
        FTable->FParents.push_back(FState[b].parent);
        FTable->FOffsets.push_back(FSkeleton.FBone[b]->FTranslate);
    }
    FTable->FHasEndSite.resize(n, false);
    FTable->FEndSites.resize(n, T3dpoint{0, 0, 0});
}

void markModelType(TGLSkeleton& skeleton) {
    if (auto* model = dynamic_cast<TGLAll3dsMesh*>(skeleton.Owner())) model->FType = Mesh3DSBVH;
}

}  // namespace

void TGLSkeleton::LoadBVHFromFile(const std::string& FileName) {
    markModelType(*this);
    TFileStream stream(FileName);
    const std::string text = readRest(stream);
    BvhReader(*this, text, FileName).run();
}

void TGLSkeleton::LoadBVHFromStream(TStream& Stream) {
    markModelType(*this);
    const std::string text = readRest(Stream);
    BvhReader(*this, text, FName.empty() ? std::string("stream") : FName).run();
}

TMotion MotionFromText(const std::string& Text, const std::string& Source) {
    TGLSkeleton skeleton(nullptr);
    TMotion motion;
    BvhReader(skeleton, Text, Source, &motion).run();
    if (motion.FJoints.empty()) throw EFileTypeError("LoadMotion: " + Source + ": no ROOT joint in it");
    return motion;
}

TMotion LoadMotion(const std::string& FileName) {
    TFileStream stream(FileName);
    return MotionFromText(readRest(stream), FileName);
}

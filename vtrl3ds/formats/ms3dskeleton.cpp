// The MilkShape 3D ASCII skeleton loader: TGLSkeleton::LoadMSAFromFile and LoadMSAFromStream read
// the frame count, the current frame and the bone blocks (name, parent name, rest pose, position
// and rotation keys), passing every other line by, then initialise the bones in list order.
// Failures raise the library's exceptions naming the file and line; bones made before a failure
// stay owned by the skeleton, and none is initialised.
#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <unordered_map>

#include "vtrl3ds/private/names.h"
#include "vtrl3ds/private/checked.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/private/ms3dtext.h"
#include "vtrl3ds/skeleton.h"
#include "vtrl3ds/stream.h"

using namespace vtrl3ds_internal;

namespace {

constexpr const char* routine = "TGLSkeleton.LoadMSAFromStream";
constexpr std::string_view framesHeader = "Frames: ";
constexpr std::string_view frameHeader = "Frame: ";
constexpr std::string_view bonesHeader = "Bones: ";

// The fewest bytes a bone block and a key line can take, line breaks included.
constexpr size_t boneBytes = 19;  // name, parent, rest pose (7 fields), two key counts
constexpr size_t keyBytes = 8;    // time x y z

// Tested on every line between blocks: the first character is compared alone first.
bool startsWith(std::string_view line, std::string_view header) {
    return !line.empty() && line[0] == header[0] && line.substr(0, header.size()) == header;
}

// The nearest integer, an exact half going to the even neighbour.
double roundHalfEven(double t) {
    const double below = std::floor(t);
    const double rest = t - below;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(below, 2.0) != 0)) return below + 1;
    return below;
}

// The state of one call of LoadMSAFromStream.
class BoneReader {
  public:
    BoneReader(TGLSkeleton& skeleton, MsText& text) : FSkeleton(skeleton), FText(text) {}
    void walk();

  private:
    void bones();
    void bone(int32_t index, int32_t count);
    void keys(TGL3dsBone& b, const char* kind, const char* item, std::vector<TKeyFrame>& list,
              int32_t& count);

    TGLSkeleton& FSkeleton;
    MsText& FText;
};

// Every line but the last is tested for the three headers, so the mesh and material sections
// pass by line by line.
void BoneReader::walk() {
    while (FText.atLine() && !FText.onLastLine()) {
        if (startsWith(FText.line(), framesHeader)) FSkeleton.FNumFrames = FText.headerValue(framesHeader);
        if (startsWith(FText.line(), frameHeader)) FSkeleton.FCurrentFrame = FText.headerValue(frameHeader);
        if (startsWith(FText.line(), bonesHeader)) bones();
        FText.advance();
    }
}

void BoneReader::bones() {
    const int32_t count = FText.headerValue(bonesHeader);
    if (count < 0) FText.fail<ERangeError>("negative bone count " + std::to_string(count));
    if (count > MaxSkeletonBones)
        FText.fail<ERangeError>(std::to_string(count) + " bones exceed the " +
                                std::to_string(MaxSkeletonBones) + " a skeleton holds");
    FText.checkRoom(count, boneBytes, Item{"bones"});
    FSkeleton.FBone.clear();
    FSkeleton.FNumBones = 0;
    for (int32_t i = 0; i < count; ++i) bone(i, count);
}

void BoneReader::bone(int32_t index, int32_t count) {
    FText.nextLine(Item{"bone", index + 1, count});
    // Listed and counted from its first moment, so a failure leaves no empty entry behind.
    auto* b = new TGL3dsBone(&FSkeleton);
    FSkeleton.FBone.push_back(b);
    FSkeleton.FNumBones = index + 1;
    b->FName = FText.unquotedLine();
    FText.nextLine(Item{"the parent line", 0, 0, "bone", &b->FName});
    b->FParentName = FText.unquotedLine();
    const Item pose{"the rest pose line", 0, 0, "bone", &b->FName};
    FText.nextLine(pose);
    const FieldList f(FText, 7, pose);
    b->FTranslate = {f.real(1), f.real(2), f.real(3)};
    b->FRotate = {f.real(4), f.real(5), f.real(6)};
    keys(*b, "the position key count", "position key", b->FTranslateFrame, b->FNumTranslateFrames);
    keys(*b, "the rotation key count", "rotation key", b->FRotateFrame, b->FNumRotateFrames);
}

// A key count line and its key lines: time, then x y z (a position, or angles in radians).
void BoneReader::keys(TGL3dsBone& b, const char* kind, const char* item, std::vector<TKeyFrame>& list,
                      int32_t& count) {
    const Item countItem{kind, 0, 0, "bone", &b.FName};
    FText.nextLine(countItem);
    const int32_t n = FText.integerLine(countItem);
    if (n < 0) FText.fail<ERangeError>(describe(countItem) + " is negative: " + std::to_string(n));
    FText.checkRoom(n, keyBytes, Item{(std::string(item) + "s").c_str(), 0, 0, "bone", &b.FName});
    count = n;
    list.assign(static_cast<size_t>(n), TKeyFrame{});
    for (int32_t k = 0; k < n; ++k) {
        const Item key{item, k + 1, n, "bone", &b.FName};
        FText.nextLine(key);
        const FieldList f(FText, 4, key);
        const double time = roundHalfEven(f.realDouble(0));
        if (!(time >= INT32_MIN && time <= INT32_MAX))
            FText.fail<ERangeError>(describe(key) + ": time " + quoted(f[0]) +
                                    " is outside the 32-bit range");
        TKeyFrame& frame = list[static_cast<size_t>(k)];
        frame.Time = static_cast<int32_t>(time);
        frame.Value = {f.real(1), f.real(2), f.real(3)};
    }
}

std::string upperAscii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// Initialises the bones in list order, each with its parent found as TGL3dsBone::Init finds it
// (the first bone whose name matches, ignoring ASCII case), but through one table rather than a
// search of the whole list per bone, which thousands of bones would make quadratic. A parent
// listed after its child is found, but its matrix is not yet made when the child's is.
void initBones(TGLSkeleton& skeleton) {
    const size_t count = boneCount(skeleton);
    std::unordered_map<std::string, TGL3dsBone*> byName;
    for (size_t i = 0; i < count; ++i)
        byName.emplace(upperAscii(skeleton.FBone[i]->FName), skeleton.FBone[i]);
    for (size_t i = 0; i < count; ++i) {
        TGL3dsBone& bone = *skeleton.FBone[i];
        const auto parent =
            bone.FParentName.empty() ? byName.end() : byName.find(upperAscii(bone.FParentName));
        bone.InitWithParent(parent == byName.end() ? nullptr : parent->second);
    }
}

// Reads the bone section from the rest of the stream; `source` names it in messages.
void loadText(TGLSkeleton& skeleton, TStream& stream, const std::string& source) {
    {
        MsText text(stream, source, routine);
        BoneReader(skeleton, text).walk();
    }
    initBones(skeleton);
}

}  // namespace

void TGLSkeleton::LoadMSAFromStream(TStream& Stream) {
    loadText(*this, Stream, "stream");
}

void TGLSkeleton::LoadMSAFromFile(const std::string& FileName) {
    if (auto* model = dynamic_cast<TGLAll3dsMesh*>(Owner())) model->FType = MeshMSA;
    TFileStream stream(FileName);
    loadText(*this, stream, FileName);
}

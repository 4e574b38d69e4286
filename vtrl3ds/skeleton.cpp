// Life cycle of TGLSkeleton, its bone lookup by name and its file-type dispatch. Only the format
// loaders report failure (their exceptions pass through LoadFromFile unchanged).
#include "vtrl3ds/skeleton.h"

#include <algorithm>

namespace {

char upperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool equalIgnoringAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (upperAscii(a[i]) != upperAscii(b[i])) return false;
    return true;
}

// The last four characters (the whole text when shorter), ASCII letters in lower case.
std::string extensionOf(const std::string& FileName) {
    std::string ext = FileName.size() > 4 ? FileName.substr(FileName.size() - 4) : FileName;
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

}  // namespace

TGLSkeleton::~TGLSkeleton() {
    DestroyComponents();
    FBone.clear();
}

void TGLSkeleton::LoadFromFile(const std::string& FileName) {
    FName = FileName;
    const std::string ext = extensionOf(FileName);
    if (ext == ".bvh") LoadBVHFromFile(FileName);
    if (ext == ".txt") LoadMSAFromFile(FileName);
}

// Bones are searched in list order over the bones that exist (FNumBones, never past FBone).
TGL3dsBone* TGLSkeleton::GetBoneByName(const std::string& S) const {
    const size_t count = std::min(FBone.size(), static_cast<size_t>(std::max(FNumBones, 0)));
    for (size_t i = 0; i < count; ++i)
        if (FBone[i] && equalIgnoringAsciiCase(FBone[i]->FName, S)) return FBone[i];
    return nullptr;
}

// The BVH writer: a motion table as BVH text (MotionToText) and as a file (SaveMotion). Joints are
// written depth first from each root, their columns in the same order; numbers in their shortest
// form that reads back to the same float. A table BVH cannot hold raises from TMotion::Check; a
// file that cannot be written raises EFileError and leaves no partial file.
#include <charconv>
#include <utility>
#include <string>
#include <vector>

#include "vtrl3ds/errors.h"
#include "vtrl3ds/motion.h"
#include "vtrl3ds/private/compat.h"
#include "vtrl3ds/private/wholefile.h"

using namespace vtrl3ds_internal;

namespace {

void number(std::string& s, double v) {
    char buf[40];
    const auto r = vtrl3ds_internal::realToChars(buf, buf + sizeof buf, v);
    s.append(buf, r.ptr);
}

void number(std::string& s, float v) {
    char buf[40];
    const auto r = vtrl3ds_internal::realToChars(buf, buf + sizeof buf, v);
    s.append(buf, r.ptr);
}

void offset(std::string& s, const std::string& tabs, const T3dpoint& p) {
    s += tabs + "OFFSET ";
    number(s, p.X);
    s += ' ';
    number(s, p.Y);
    s += ' ';
    number(s, p.Z);
    s += '\n';
}

class Writer {
  public:
    explicit Writer(const TMotion& m) : FMotion(m), FChildren(m.FJoints.size()) {
        for (size_t j = 0; j < m.FJoints.size(); ++j)
            if (m.FParents[j] >= 0) FChildren[static_cast<size_t>(m.FParents[j])].push_back(j);
    }
    std::string text();

  private:
    void root(size_t r);
    void openJoint(size_t j, const std::string& tabs);
    void closeJoint(size_t j, const std::string& tabs);
    void motion();

    const TMotion& FMotion;
    std::vector<std::vector<size_t>> FChildren;
    std::vector<size_t> FOrder;  // joints in the order written
    std::string FText;
};

std::string Writer::text() {
    FText = "HIERARCHY\n";
    for (size_t j = 0; j < FMotion.FJoints.size(); ++j)
        if (FMotion.FParents[j] < 0) root(j);
    motion();
    return std::move(FText);
}

// Blocks are kept on an explicit stack (a joint to open, later its block to close), so a deep
// chain of joints costs no recursion.
void Writer::root(size_t r) {
    struct Step {
        size_t joint, depth;
        bool close;
    };
    std::vector<Step> stack{{r, 0, false}};
    while (!stack.empty()) {
        const Step step = stack.back();
        stack.pop_back();
        const std::string tabs(step.depth, '\t');
        if (step.close) {
            closeJoint(step.joint, tabs);
            continue;
        }
        openJoint(step.joint, tabs);
        stack.push_back({step.joint, step.depth, true});
        const auto& kids = FChildren[step.joint];
        for (auto c = kids.rbegin(); c != kids.rend(); ++c) stack.push_back({*c, step.depth + 1, false});
    }
}

void Writer::openJoint(size_t j, const std::string& tabs) {
    FOrder.push_back(j);
    FText += tabs + (FMotion.FParents[j] < 0 ? "ROOT " : "JOINT ") + FMotion.FJoints[j] + "\n" + tabs + "{\n";
    offset(FText, tabs + "\t", FMotion.FOffsets[j]);
    FText += tabs + "\tCHANNELS " + std::to_string(FMotion.FChannels[j].size());
    for (const std::string& c : FMotion.FChannels[j]) FText += " " + c;
    FText += "\n";
}

void Writer::closeJoint(size_t j, const std::string& tabs) {
    if (FMotion.FHasEndSite[j]) {
        FText += tabs + "\tEnd Site\n" + tabs + "\t{\n";
        offset(FText, tabs + "\t\t", FMotion.FEndSites[j]);
        FText += tabs + "\t}\n";
    }
    FText += tabs + "}\n";
}

void Writer::motion() {
    FText += "MOTION\nFrames: " + std::to_string(FMotion.FNumFrames) + "\nFrame Time: ";
    // A frame time read from a file is a float: written as one, it keeps its short form.
    const auto asFloat = static_cast<float>(FMotion.FFrameTime);
    if (static_cast<double>(asFloat) == FMotion.FFrameTime)
        number(FText, asFloat);
    else
        number(FText, FMotion.FFrameTime);
    FText += '\n';
    const std::vector<size_t> first = FMotion.FirstColumns();
    const size_t width = FMotion.ChannelCount();
    FText.reserve(FText.size() + FMotion.FValues.size() * 10);
    for (size_t f = 0; f < FMotion.FNumFrames; ++f) {
        const float* row = FMotion.FValues.data() + f * width;
        bool firstNumber = true;
        for (const size_t j : FOrder)
            for (size_t c = 0; c < FMotion.FChannels[j].size(); ++c) {
                if (!firstNumber) FText += ' ';
                firstNumber = false;
                number(FText, row[first[j] + c]);
            }
        FText += '\n';
    }
}

}  // namespace

std::string MotionToText(const TMotion& Motion) {
    Motion.Check("MotionToText");
    return Writer(Motion).text();
}

void SaveMotion(const TMotion& Motion, const std::string& FileName) {
    writeWholeFile(FileName, MotionToText(Motion), "SaveMotion");
}

// Message boxes (OK, Yes/No) on the backend's message box, and the test seam's answerer and record.
#include <functional>

#include "vitrail/platform/internal.h"
#include "vitrail/platform/platform_test.h"
#include "vitrail/platform/text.h"

namespace {

std::function<int32_t(const MessageBoxRecord&)> gAnswer;
std::vector<MessageBoxRecord> gShown;

}  // namespace

int32_t MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
    MessageBoxRecord box{owner,
                         text ? text : "",
                         caption ? caption : "",
                         vitrail_platform::Cp1252ToUtf8(text),
                         vitrail_platform::Cp1252ToUtf8(caption),
                         type};
    gShown.push_back(box);
    if (gAnswer) return gAnswer(box);
    const vtrlplat::Window* w = vtrlplat::findWindow(owner);
    return vtrlplat::native::messageBox(w ? w->native : nullptr, box.textUtf8, box.captionUtf8,
                                        (type & 0x0F) == MB_YESNO);
}

void PlatformTestAnswerMessageBoxes(std::function<int32_t(const MessageBoxRecord&)> answer) {
    gAnswer = std::move(answer);
}

const std::vector<MessageBoxRecord>& PlatformTestShownMessageBoxes() {
    return gShown;
}

void PlatformTestClearMessageBoxes() {
    gShown.clear();
}

void PlatformTestUseVideoDriver(const char* name) {
    vtrlplat::useVideoDriver(name);
}

void PlatformTestReset() {
    vtrlplat::destroyAll();
    vtrlplat::state().peekHook = nullptr;
    vtrlplat::state().foregroundOverride = 0;
    vtrlplat::state().cursorRemembered = false;
}

void PlatformTestSetForegroundWindow(HWND wnd) {
    vtrlplat::state().foregroundOverride = wnd;
}

void PlatformTestOnPeek(std::function<void()> hook) {
    vtrlplat::state().peekHook = std::move(hook);
}

size_t PlatformTestQueuedMessages() {
    return vtrlplat::state().queue.size();
}

// Message boxes (OK, Yes/No) on the backend's message box, the host's message handler and the
// VITRAIL_MESSAGES=stderr route that replace the screen, the layer's own notes, and the test seam's
// answerer and record.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "vitrail/platform/internal.h"
#include "vitrail/platform/platform_test.h"
#include "vitrail/platform/text.h"

namespace {

std::function<int32_t(const MessageBoxRecord&)> gAnswer;
std::vector<MessageBoxRecord> gShown;
MESSAGEHANDLER gHandler = nullptr;

bool toStandardError() {
    const char* route = std::getenv("VITRAIL_MESSAGES");
    return route && std::strcmp(route, "stderr") == 0;
}

// The answer of the box's Escape button.
int32_t escapeAnswer(UINT type) {
    return (type & 0x0F) == MB_YESNO ? IDNO : IDOK;
}

// A box or note somewhere other than the screen; false when it goes to the screen (or the log).
bool divert(const std::string& textUtf8, const std::string& captionUtf8, UINT type, int32_t& answer) {
    if (gHandler) {
        answer = gHandler(textUtf8.c_str(), captionUtf8.c_str(), type);
        return true;
    }
    if (!toStandardError()) return false;
    std::fprintf(stderr, "%s: %s\n", captionUtf8.c_str(), textUtf8.c_str());
    answer = escapeAnswer(type);
    return true;
}

}  // namespace

void vtrlplat::note(const std::string& text) {
    int32_t answer = 0;
    if (!divert(text, "Vitrail", MB_OK, answer)) native::logLine(text);
}

void SetMessageHandler(MESSAGEHANDLER handler) {
    gHandler = handler;
}

int32_t MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
    MessageBoxRecord box{owner,
                         text ? text : "",
                         caption ? caption : "",
                         vitrail_platform::Cp1252ToUtf8(text),
                         vitrail_platform::Cp1252ToUtf8(caption),
                         type};
    gShown.push_back(box);
    if (gAnswer) return gAnswer(box);
    int32_t answer = 0;
    if (divert(box.textUtf8, box.captionUtf8, type, answer)) return answer;
    const vtrlplat::Window* w = vtrlplat::findWindow(owner);
    // Closing the box without a button counts as its escape answer (the backend gives it).
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

// The toolkit's messages while the viewer runs, taken through the platform's message handler so
// that none blocks on a box: the platform's notes (why video or a window could not start) and the
// boxes' texts are remembered; a box while the window opens ends the run with the noted cause.
#include <cstring>
#include <stdexcept>
#include <string>

#include "viewer.h"
#include "vitrail/platform/platform.h"

namespace {

std::string gNote;     // the platform's last note
std::string gMessage;  // the last box's text, until taken
bool gOpening = false;

int32_t viewerMessage(const char* text, const char* caption, UINT type) {
    if (std::strcmp(caption, "Vitrail") == 0) {
        gNote = text;
        return IDOK;
    }
    gMessage = text;
    // The toolkit ends the process after a failure box while the window opens; the viewer ends
    // the run itself instead, with its own line and exit status.
    if (gOpening) throw std::runtime_error(gNote.empty() ? gMessage : gNote);
    return (type & 0x0F) == MB_YESNO ? IDNO : IDOK;
}

}  // namespace

void InstallViewerMessages() {
    SetMessageHandler(viewerMessage);
}

void ViewerOpening(bool Opening) {
    gOpening = Opening;
}

std::string TakeViewerMessage() {
    std::string message;
    message.swap(gMessage);
    return message;
}

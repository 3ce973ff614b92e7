#include "framework/UserMessages.h"

#include "framework/TextBridge.h"

const char* const kAppTitle = "Tavrin";

namespace {
class MessageBoxSink : public MessageSink {
public:
    int Show(HWND owner, const std::string& text, UINT type) override {
        return MessageBoxW(owner, ToWide(text).c_str(), ToWide(kAppTitle).c_str(), type);
    }
};
MessageBoxSink g_messageBox;
MessageSink* g_sink = &g_messageBox;
unsigned g_shown = 0;
}  // namespace

int ShowAppMessage(const std::string& text, UINT type, HWND owner) {
    if ((type & MB_ICONMASK) == 0) type |= MB_ICONEXCLAMATION;
    ++g_shown;
    return g_sink->Show(owner, text, type);
}

unsigned ShownMessageCount() { return g_shown; }

MessageSink* SetMessageSink(MessageSink* sink) {
    MessageSink* previous = g_sink;
    g_sink = sink ? sink : &g_messageBox;
    return previous == &g_messageBox ? nullptr : previous;
}

#pragma once
// Messages the user must see go through one seam: a real message box in the
// program, a recorder in tests (so no test ever blocks on a box).
#include <windows.h>

#include <string>
#include <vector>

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // text: code page 932; type: MB_* flags.  Returns the button pressed.
    virtual int Show(HWND owner, const std::string& text, UINT type) = 0;
};

// The application title, the caption of every box.
extern const char* const kAppTitle;

// Shows `text` in a box captioned "Tavrin"; no icon given means the warning icon.
int ShowAppMessage(const std::string& text, UINT type = MB_OK | MB_ICONEXCLAMATION, HWND owner = nullptr);

// How many messages have been shown since the program started: code that
// reports a failure can tell whether a lower layer already reported it.
unsigned ShownMessageCount();

// Replaces the sink; returns the previous one.  Null restores the message box.
MessageSink* SetMessageSink(MessageSink* sink);

// A sink that records instead of showing.
class RecordingMessageSink : public MessageSink {
public:
    struct Shown { std::string text; UINT type; };
    int Show(HWND, const std::string& text, UINT type) override {
        shown.push_back(Shown{text, type});
        return IDOK;
    }
    std::vector<Shown> shown;
};

// Installs a recorder for its lifetime.
class ScopedMessageRecorder : public RecordingMessageSink {
public:
    ScopedMessageRecorder() : m_previous(SetMessageSink(this)) {}
    ~ScopedMessageRecorder() override { SetMessageSink(m_previous); }
private:
    MessageSink* m_previous;
};

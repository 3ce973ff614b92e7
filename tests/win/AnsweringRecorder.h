#pragma once
// Records the program's message boxes, as ScopedMessageRecorder does, and
// answers them with the buttons queued in `answers` (then IDOK).
#include <deque>
#include <functional>
#include <initializer_list>

#include "framework/UserMessages.h"

class AnsweringRecorder : public RecordingMessageSink {
public:
    AnsweringRecorder(std::initializer_list<int> queued = {}) : answers(queued), m_previous(SetMessageSink(this)) {}
    ~AnsweringRecorder() override { SetMessageSink(m_previous); }
    int Show(HWND owner, const std::string& text, UINT type) override {
        RecordingMessageSink::Show(owner, text, type);
        if (whileShown) whileShown(text);
        if (answers.empty()) return IDOK;
        int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<int> answers;
    // Runs while a box is "shown": what the program did before it.
    std::function<void(const std::string&)> whileShown;

private:
    MessageSink* m_previous;
};

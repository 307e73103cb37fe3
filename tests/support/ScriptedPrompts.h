#pragma once
// User-interface services for tests: every call is recorded, answers come from a queue
// (the first button of the box when the queue is empty), and nothing ever blocks.

#include "platform/Prompts.h"

#include <deque>
#include <vector>

class ScriptedPrompts : public IPrompts {
public:
    struct Message {
        QString text;
        QString caption;
        UINT type = MB_OK;
    };

    // Installs itself for the lifetime of the object.
    ScriptedPrompts() { m_previous = SetPrompts(this); }
    ~ScriptedPrompts() override { SetPrompts(m_previous); }
    ScriptedPrompts(const ScriptedPrompts&) = delete;
    ScriptedPrompts& operator=(const ScriptedPrompts&) = delete;

    void QueueAnswer(int answer) { m_answers.push_back(answer); }

    int MessageBox(const QString& text, const QString& caption, UINT type = MB_OK) override
    {
        m_messages.push_back({text, caption, type});
        if (m_answers.empty())
            return FirstButtonOf(type);
        const int answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }

    const std::vector<Message>& Messages() const { return m_messages; }

private:
    IPrompts* m_previous = nullptr;
    std::deque<int> m_answers;
    std::vector<Message> m_messages;
};

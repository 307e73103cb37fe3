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
    // The next file dialog answers path (empty: cancelled).
    void QueueFileName(const QString& path) { m_fileNames.push_back(path); }
    // The next colour chooser answers colour (nothing: cancelled).
    void QueueColor(std::optional<COLORREF> colour) { m_colors.push_back(colour); }

    int MessageBox(const QString& text, const QString& caption, UINT type = MB_OK) override
    {
        m_messages.push_back({text, caption, type});
        if (m_answers.empty())
            return FirstButtonOf(type);
        const int answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }

    QString GetFileName(const FileDialogRequest& request) override
    {
        m_fileDialogs.push_back(request);
        if (m_fileNames.empty())
            return QString();
        const QString path = m_fileNames.front();
        m_fileNames.pop_front();
        return path;
    }

    std::optional<COLORREF> ChooseColor(COLORREF) override
    {
        ++m_colorDialogs;
        if (m_colors.empty())
            return std::nullopt;
        const auto colour = m_colors.front();
        m_colors.pop_front();
        return colour;
    }

    void SetWaitCursor(bool waiting) override { m_waitDepth += waiting ? 1 : -1; }

    const std::vector<Message>& Messages() const { return m_messages; }
    const std::vector<FileDialogRequest>& FileDialogs() const { return m_fileDialogs; }
    int ColorDialogs() const { return m_colorDialogs; }
    int WaitDepth() const { return m_waitDepth; }

private:
    IPrompts* m_previous = nullptr;
    std::deque<int> m_answers;
    std::vector<Message> m_messages;
    std::deque<QString> m_fileNames;
    std::deque<std::optional<COLORREF>> m_colors;
    std::vector<FileDialogRequest> m_fileDialogs;
    int m_colorDialogs = 0;
    int m_waitDepth = 0;
};

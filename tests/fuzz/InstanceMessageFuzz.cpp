// The single-instance message parser: bytes as they arrive on a connection from another
// instance, cut into reads at the input's first byte, each answered as the window channel
// answers them. Every whole request gets exactly one answer line, "OK..." or "ERR...".

#include "FuzzSupport.h"

#include "shell/launch/SingleInstance.h"

namespace {

// Does what a window would be asked to do, which here is nothing but counting.
class CountingWindow : public IWindowRequests {
public:
    bool IsWindowVisible() override { return ++m_calls % 2 == 0; }
    void Minimize() override { ++m_calls; }
    void RestoreToForeground() override { ++m_calls; }
    void ShowTopmost() override { ++m_calls; }
    void AddPageLength() override { ++m_calls; }
    bool CloseOverlay(const QString& overlayClass) override { return !overlayClass.isEmpty() && ++m_calls; }
    void OpenDocumentFile(const QString& path) override
    {
        if (!path.startsWith(QLatin1Char('/')))
            Broken("a file to open is not a full path");
        ++m_calls;
    }

private:
    int m_calls = 0;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static CountingWindow window;
    static WindowChannel channel(window);
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    const qsizetype chunk = 1 + data[0] % 64;
    QByteArray pending, answers;
    qsizetype answered = 0;  // request lines taken out of pending
    for (qsizetype at = 0; at < bytes.size(); at += chunk) {
        pending += bytes.mid(at, chunk);
        const qsizetype lines = pending.count('\n');
        const bool fits = channel.AnswerRequests(pending, answers);
        answered += lines - pending.count('\n');
        if (!fits)
            break;
    }
    if (answers.count('\n') != answered)
        Broken("requests and answers do not pair up");
    for (const QByteArray& line : answers.split('\n')) {
        if (!line.isEmpty() && !line.startsWith("OK") && !line.startsWith("ERR"))
            Broken("an answer is neither OK nor ERR");
    }
    return 0;
}

#include "annalist/Console.h"

#include <string>

namespace {

const auto kQuietPeriod = std::chrono::seconds(1);
const auto kRedrawPeriod = std::chrono::milliseconds(200);

} // namespace

CConsole::CConsole(FILE* out, FILE* err, bool progress) : m_out(out), m_err(err), m_progressAllowed(progress) {}

CConsole::~CConsole() { EndProgress(); }

void CConsole::Put(FILE* stream, bool& failed, const char* text)
{
    if (failed)
        return;
    if (std::fputs(text, stream) < 0 || std::fflush(stream) != 0) {
        failed = true;
        std::clearerr(stream);
    }
}

void CConsole::ClearProgress()
{
    if (m_shownWidth == 0)
        return;
    std::string blank = "\r" + std::string(m_shownWidth, ' ') + "\r";
    Put(m_out, m_outFailed, blank.c_str());
    m_shownWidth = 0;
}

void CConsole::Message(const std::string& line)
{
    ClearProgress();
    Put(m_err, m_errFailed, (line + "\n").c_str());
}

void CConsole::Warning(const std::string& line)
{
    if (!m_quiet)
        Message(line);
}

void CConsole::Print(const std::string& text)
{
    ClearProgress();
    Put(m_out, m_outFailed, text.c_str());
}

void CConsole::StartProgress(long total)
{
    m_running = m_progressAllowed && !m_quiet;
    m_total = total;
    m_start = m_lastDraw = std::chrono::steady_clock::now();
}

void CConsole::Progress(long done)
{
    if (!m_running)
        return;
    auto now = std::chrono::steady_clock::now();
    if (now - m_start < kQuietPeriod || now - m_lastDraw < kRedrawPeriod)
        return;
    m_lastDraw = now;
    double seconds = std::chrono::duration<double>(now - m_start).count();
    double rate = seconds > 0 ? done / seconds : 0;
    char text[160];
    int width = 0;
    if (m_total > 0)
        width = std::snprintf(text, sizeof(text), "Replaying: %ld / %ld events (%d%%), %.0f events/s", done, m_total,
                              static_cast<int>(100.0 * done / m_total), rate);
    else
        width = std::snprintf(text, sizeof(text), "Replaying: %ld events, %.0f events/s", done, rate);
    if (width < 0)
        return;
    size_t shown = static_cast<size_t>(width);
    std::string line = "\r" + std::string(text);
    if (shown < m_shownWidth)
        line += std::string(m_shownWidth - shown, ' ');
    Put(m_out, m_outFailed, line.c_str());
    m_shownWidth = shown > m_shownWidth ? shown : m_shownWidth;
}

void CConsole::EndProgress()
{
    ClearProgress();
    m_running = false;
}

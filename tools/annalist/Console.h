// CConsole: what the tool writes for a person. Messages go to stderr, the
// summary to stdout, and a progress line to stdout when stdout is a terminal
// and the work has taken more than a second (redrawn a few times a second,
// cleared before any other output and at the end; nothing of it otherwise).
// A stream that cannot be written (a closed pipe) is given up, and the
// failure is remembered for the exit status.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

class CConsole {
public:
    // progress: whether a progress line may be shown at all (normally: stdout
    // is a terminal).
    CConsole(FILE* out, FILE* err, bool progress);
    ~CConsole();
    CConsole(const CConsole&) = delete;
    CConsole& operator=(const CConsole&) = delete;

    // One line on stderr (a line end is added).
    void Message(const std::string& line);
    // A warning: a line on stderr, unless the console is quiet.
    void Warning(const std::string& line);
    // Quiet: only errors are shown (no warnings, no progress; callers leave
    // out their summaries).
    void SetQuiet(bool quiet) { m_quiet = quiet; }
    bool Quiet() const { return m_quiet; }
    // Text on stdout, as it is.
    void Print(const std::string& text);

    // Whether some text could not be written (stdout or stderr is a closed
    // pipe, a full disk...): the program's work may have succeeded, but what
    // it had to say was lost.
    bool OutputFailed() const { return m_outFailed || m_errFailed; }
    // Whether the failure was on stdout (stderr can still take a message).
    bool StdoutFailed() const { return m_outFailed; }

    bool ProgressAllowed() const { return m_progressAllowed && !m_quiet; }
    // Progress over `total` events (0: unknown).
    void StartProgress(long total);
    void Progress(long done);
    void EndProgress();

private:
    void ClearProgress();

    // Writes to a stream; false (and nothing more is tried there) when it fails.
    void Put(FILE* stream, bool& failed, const char* text);

    FILE* m_out;
    FILE* m_err;
    bool m_outFailed = false;
    bool m_errFailed = false;
    bool m_progressAllowed;
    bool m_quiet = false;
    bool m_running = false;
    long m_total = 0;
    size_t m_shownWidth = 0;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_lastDraw;
};

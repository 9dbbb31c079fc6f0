// Message boxes on the console (see pal/posix/user.h for the rules).
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "pal/pal.h"
#include "pal/utf8.h"
#include "user/prompt_cancel.h"

namespace {

struct Button {
    int id;
    const char* name;   // as ANNALIST_MESSAGEBOX_ANSWER spells it
    const char* prompt; // as the terminal prompt shows it, the key in brackets
    char key;
};

const Button kOk = {IDOK, "ok", "[O]K", 'o'};
const Button kCancel = {IDCANCEL, "cancel", "[C]ancel", 'c'};
const Button kAbort = {IDABORT, "abort", "[A]bort", 'a'};
const Button kRetry = {IDRETRY, "retry", "[R]etry", 'r'};
const Button kIgnore = {IDIGNORE, "ignore", "[I]gnore", 'i'};
const Button kYes = {IDYES, "yes", "[Y]es", 'y'};
const Button kNo = {IDNO, "no", "[N]o", 'n'};
const Button kTryAgain = {IDTRYAGAIN, "tryagain", "[T]ry again", 't'};
const Button kContinue = {IDCONTINUE, "continue", "C[o]ntinue", 'o'};

struct Style {
    std::vector<Button> buttons; // in their order on the box
    int unattended;              // the answer when nobody can be asked
};

// The style of a box, or null for an unknown one.
const Style* StyleOf(UINT type)
{
    static const Style styles[] = {
        {{kOk}, IDOK},                              // MB_OK
        {{kOk, kCancel}, IDCANCEL},                 // MB_OKCANCEL
        {{kAbort, kRetry, kIgnore}, IDABORT},       // MB_ABORTRETRYIGNORE
        {{kYes, kNo, kCancel}, IDCANCEL},           // MB_YESNOCANCEL
        {{kYes, kNo}, IDNO},                        // MB_YESNO
        {{kRetry, kCancel}, IDCANCEL},              // MB_RETRYCANCEL
        {{kCancel, kTryAgain, kContinue}, IDCANCEL} // MB_CANCELTRYCONTINUE
    };
    UINT index = type & MB_TYPEMASK;
    return index < sizeof styles / sizeof styles[0] ? &styles[index] : nullptr;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Trim(const std::string& text)
{
    size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string::npos)
        return std::string();
    size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(start, end - start + 1);
}

const Button* FindByName(const std::vector<Button>& buttons, const std::string& name)
{
    std::string wanted = Lower(Trim(name));
    if (wanted == "try again" || wanted == "try")
        wanted = "tryagain";
    for (const Button& button : buttons)
        if (wanted == button.name)
            return &button;
    return nullptr;
}

const char* Label(int id)
{
    switch (id) {
    case IDOK:
        return "OK";
    case IDCANCEL:
        return "Cancel";
    case IDABORT:
        return "Abort";
    case IDRETRY:
        return "Retry";
    case IDIGNORE:
        return "Ignore";
    case IDYES:
        return "Yes";
    case IDNO:
        return "No";
    case IDTRYAGAIN:
        return "Try again";
    case IDCONTINUE:
        return "Continue";
    default:
        return "?";
    }
}

volatile sig_atomic_t g_promptsCancelled = 0;

enum class LineRead { Line, End, Cancelled };

// One line from the terminal, read a byte at a time so that nothing is kept
// in a buffer; the wait is given up when prompts are cancelled.
LineRead ReadAnswerLine(std::string& line)
{
    line.clear();
    for (;;) {
        if (PalPromptsCancelled())
            return LineRead::Cancelled;
        struct pollfd input = {STDIN_FILENO, POLLIN, 0};
        int ready = poll(&input, 1, 100); // a signal may come just before the wait
        if (ready < 0 && errno != EINTR)
            return LineRead::End;
        if (ready <= 0)
            continue;
        char c = 0;
        ssize_t got = read(STDIN_FILENO, &c, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return line.empty() ? LineRead::End : LineRead::Line;
        if (c == '\n')
            return LineRead::Line;
        line.push_back(c);
    }
}

// Asks on the terminal until one of the buttons is chosen; 0 at the end of the
// input, -1 when prompts were cancelled while it waited.
int AskOnTerminal(const std::vector<Button>& buttons, const Button& fallback)
{
    for (;;) {
        std::string prompt;
        for (const Button& button : buttons)
            prompt += (prompt.empty() ? "" : ", ") + std::string(button.prompt);
        std::fprintf(stderr, "%s? (Enter: %s) ", prompt.c_str(), Label(fallback.id));
        std::fflush(stderr);
        std::string line;
        LineRead read = ReadAnswerLine(line);
        if (read == LineRead::Cancelled) {
            std::fputc('\n', stderr);
            return -1;
        }
        if (read == LineRead::End)
            return 0;
        std::string answer = Lower(Trim(line));
        if (answer.empty())
            return fallback.id;
        if (const Button* named = FindByName(buttons, answer))
            return named->id;
        if (answer.size() == 1)
            for (const Button& button : buttons)
                if (answer[0] == button.key)
                    return button.id;
    }
}

} // namespace

extern "C" int MessageBoxW(HWND, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType)
{
    const Style* style = StyleOf(uType);
    if (!style) {
        SetLastError(ERROR_INVALID_MSGBOX_STYLE);
        return 0;
    }
    const std::vector<Button>& buttons = style->buttons;
    size_t defaultIndex = (uType & MB_DEFMASK) >> 8;
    const Button& defaultButton = buttons[defaultIndex < buttons.size() ? defaultIndex : 0];

    // One box at a time, so that the texts of two threads do not mix.
    static std::mutex lock;
    std::lock_guard<std::mutex> guard(lock);

    std::string caption = lpCaption ? PalToUtf8(lpCaption) : std::string("Error");
    std::string text = lpText ? PalToUtf8(lpText) : std::string();
    std::fprintf(stderr, "\n== %s ==\n%s\n", caption.c_str(), text.c_str());

    int answer = 0;
    const char* how = nullptr;
    const char* forced = std::getenv("ANNALIST_MESSAGEBOX_ANSWER");
    if (PalPromptsCancelled()) {
        answer = style->unattended;
        how = "the program is ending";
    } else if (forced && *forced) {
        if (const Button* named = FindByName(buttons, forced)) {
            answer = named->id;
            how = "ANNALIST_MESSAGEBOX_ANSWER";
        }
    }
    if (!answer && isatty(STDIN_FILENO) && isatty(STDERR_FILENO)) {
        answer = AskOnTerminal(buttons, defaultButton);
        if (answer > 0)
            return answer;
        if (answer < 0) {
            answer = style->unattended;
            how = "the program is ending";
        }
    }
    if (!answer) {
        answer = style->unattended;
        how = "unattended";
    }
    std::fprintf(stderr, "(answered %s: %s)\n", Label(answer), how);
    std::fflush(stderr);
    return answer;
}

void PalCancelPrompts() noexcept { g_promptsCancelled = 1; }

bool PalPromptsCancelled() noexcept { return g_promptsCancelled != 0; }

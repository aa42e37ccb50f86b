#include "UiServices.h"

#include "CliText.h"

#include <atomic>
#include <cstdio>

namespace {
HeadlessUiServices g_headless;
std::atomic<UiServices*> g_provider{nullptr};

const char* IconName(UINT style) {
    switch (style & MB_ICONMASK) {
        case MB_ICONERROR: return "error";
        case MB_ICONQUESTION: return "question";
        case MB_ICONWARNING: return "warning";
        case MB_ICONINFORMATION: return "information";
        default: return "message";
    }
}
}  // namespace

UiServices& UiServices::Get() {
    UiServices* p = g_provider.load();
    return p ? *p : g_headless;
}

UiServices* UiServices::Install(UiServices* provider) {
    UiServices* old = g_provider.exchange(provider);
    return old ? old : &g_headless;
}

int UiServices::PrintDialog(HWND, std::unique_ptr<PrintDevice>& device, CString& error) {
    device.reset();
    error = L"No printer can be chosen here: printing on a system printer needs the graphical program";
    return IDABORT;
}

int DefaultButton(UINT style) {
    switch (style & MB_TYPEMASK) {
        case MB_ABORTRETRYIGNORE: return (style & MB_DEFBUTTON2) ? IDRETRY : IDABORT;
        case MB_YESNOCANCEL:
        case MB_YESNO: return (style & MB_DEFBUTTON2) ? IDNO : IDYES;
        case MB_RETRYCANCEL: return (style & MB_DEFBUTTON2) ? IDCANCEL : IDRETRY;
        case MB_OKCANCEL: return (style & MB_DEFBUTTON2) ? IDCANCEL : IDOK;
        default: return IDOK;
    }
}

int MessageBox(HWND owner, const CString& text, const CString& caption, UINT style) {
    return UiServices::Get().MessageBox(owner, text, caption, style);
}

HeadlessUiServices::~HeadlessUiServices() { Flush(); }

std::string HeadlessUiServices::BoxLine(const CString& text, const CString& caption, std::size_t times) {
    // Texts written for a box often begin with a line feed; a console line
    // reads better without it.
    CString t = text;
    while (!t.IsEmpty() && (t[0] == L'\n' || t[0] == L'\r')) t = t.Mid(1);
    // What a box says often holds text from a file: no control character of
    // it reaches the terminal.
    std::string line = TerminalSafe(caption.ToUtf8()) + ": " + TerminalSafe(t.ToUtf8(), true);
    if (times > 1) line += " (" + std::to_string(times) + " times)";
    return line;
}

int HeadlessUiServices::MessageBox(HWND, const CString& text, const CString& caption, UINT style) {
    std::lock_guard l(m_lock);
    if (m_times > 0 && text == m_text && caption == m_caption && style == m_style) {
        ++m_times;
        return DefaultButton(style);
    }
    if (m_times > 0) {
        std::FILE* out = m_out ? m_out : stderr;
        std::fprintf(out, "%s: %s\n", IconName(m_style), BoxLine(m_text, m_caption, m_times).c_str());
    }
    m_text = text;
    m_caption = caption;
    m_style = style;
    m_times = 1;
    // A question is printed at once: whoever reads it wants it before the
    // program goes on with the answer.
    const UINT buttons = style & MB_TYPEMASK;
    if (buttons != MB_OK) {
        std::FILE* out = m_out ? m_out : stderr;
        std::fprintf(out, "%s: %s\n", IconName(style), BoxLine(text, caption, 1).c_str());
        m_times = 0;
    }
    return DefaultButton(style);
}

void HeadlessUiServices::Flush() {
    std::lock_guard l(m_lock);
    if (m_times == 0) return;
    std::FILE* out = m_out ? m_out : stderr;
    std::fprintf(out, "%s: %s\n", IconName(m_style), BoxLine(m_text, m_caption, m_times).c_str());
    std::fflush(out);
    m_times = 0;
}

int HeadlessUiServices::AssertionDialog(const CString& check, const CString& className,
                                        const CString& sourceFile) {
    std::fprintf(stderr, "Runtime release assertion failed at: %s | %s | %s\n", TerminalSafe(check.ToUtf8()).c_str(),
                 TerminalSafe(className.ToUtf8()).c_str(), TerminalSafe(sourceFile.ToUtf8()).c_str());
    return IDOK;
}

int ScriptedUiServices::Take(Box& b) {
    std::lock_guard lock(m_lock);
    if (m_answers.empty()) {
        b.expected = false;
        b.answer = b.print ? IDABORT : b.assertion ? IDOK : DefaultButton(b.style);
    } else {
        b.answer = m_answers.front();
        m_answers.pop_front();
    }
    m_boxes.push_back(b);
    return b.answer;
}

int ScriptedUiServices::MessageBox(HWND owner, const CString& text, const CString& caption, UINT style) {
    Box b;
    b.owner = owner;
    b.text = text;
    b.caption = caption;
    b.style = style;
    return Take(b);
}

int ScriptedUiServices::AssertionDialog(const CString& check, const CString& className,
                                        const CString& sourceFile) {
    Box b;
    b.assertion = true;
    b.caption = L"Error";
    b.text = L"Runtime release assertion failed at:";
    b.style = MB_OKCANCEL;
    b.check = check;
    b.className = className;
    b.sourceFile = sourceFile;
    return Take(b);
}

int ScriptedUiServices::PrintDialog(HWND owner, std::unique_ptr<PrintDevice>& device, CString& error) {
    Box b;
    b.print = true;
    b.owner = owner;
    b.caption = L"Print";
    const int answer = Take(b);
    device.reset();
    error.Empty();
    if (answer == IDOK) {
        std::lock_guard lock(m_lock);
        if (!m_devices.empty()) {
            device = std::move(m_devices.front());
            m_devices.pop_front();
        }
    } else if (answer == IDABORT) {
        error = L"no printer (scripted)";
    }
    return answer;
}

void ScriptedUiServices::QueuePrintDevice(std::unique_ptr<PrintDevice> device) {
    std::lock_guard lock(m_lock);
    m_devices.push_back(std::move(device));
}

void ScriptedUiServices::Answer(int button) {
    std::lock_guard lock(m_lock);
    m_answers.push_back(button);
}

std::vector<ScriptedUiServices::Box> ScriptedUiServices::Boxes() const {
    std::lock_guard lock(m_lock);
    return m_boxes;
}

std::size_t ScriptedUiServices::Count() const {
    std::lock_guard lock(m_lock);
    return m_boxes.size();
}

std::size_t ScriptedUiServices::UnexpectedCount() const {
    std::lock_guard lock(m_lock);
    std::size_t n = 0;
    for (const auto& b : m_boxes) n += b.expected ? 0 : 1;
    return n;
}

std::size_t ScriptedUiServices::PendingAnswers() const {
    std::lock_guard lock(m_lock);
    return m_answers.size();
}

void ScriptedUiServices::Clear() {
    std::lock_guard lock(m_lock);
    m_answers.clear();
    m_boxes.clear();
    m_devices.clear();
}

int UiServices::PortSettingsDialog(HWND, const CString&, DCB*) { return IDCANCEL; }

int UiServices::SerialNumberDialog(HWND, SerialNumberRequest&) { return IDCANCEL; }

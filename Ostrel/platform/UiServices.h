// The one process-wide provider of the few things the library must show a
// person: message boxes and the release-assertion dialog. The library never
// includes a widget toolkit; the host installs the provider it wants.
#pragma once

#include "CString.h"
#include "OstrelExport.h"
#include "WinTypes.h"

#include <cstdio>
#include <deque>
#include <string>
#include <memory>
#include <mutex>
#include <vector>

// What printing text on a system printer needs from the device, in the
// terms of the old device contexts: the printable area in device pixels,
// documents and pages, a logical coordinate space, a font and text output.
// The Qt provider implements it with QPainter on a QPrinter.
class OSTREL_API PrintDevice {
public:
    struct TextMetrics {
        int tmHeight = 0;           // ascent + descent, logical units
        int tmExternalLeading = 0;  // extra space between lines
        int tmAveCharWidth = 0;
    };

    virtual ~PrintDevice() = default;
    // Printable width and height in device pixels.
    virtual int HorzRes() const = 0;
    virtual int VertRes() const = 0;
    virtual bool StartDoc(const CString& documentName) = 0;
    virtual bool StartPage() = 0;
    virtual bool EndPage() = 0;
    virtual bool EndDoc() = 0;
    virtual void AbortDoc() = 0;
    // A logical window of windowX x windowY units over viewportX x
    // viewportY device pixels, one scale for both axes (the smaller one),
    // origin at the top left of the printable area.
    virtual void SetIsotropicMapping(int windowX, int windowY, int viewportX, int viewportY) = 0;
    // Selects the installed face nearest to `face` (height in logical
    // units) and returns the name of the face actually used.
    virtual CString SelectFont(const CString& face, int height, int weight) = 0;
    virtual TextMetrics GetTextMetrics() const = 0;
    // Draws the text with its top left corner at (x, y), logical units.
    virtual bool TextOut(int x, int y, const CString& text) = 0;
};

struct DCB;

// What the serial-number dialog of a printer under test shows and returns.
struct OSTREL_API SerialNumberRequest {
    std::vector<CString> configurations;  // the default configurations to choose from
    CString configuration;                // the one chosen
    CString productCode;                  // preloaded from the test record
    CString serialNumber;
};

class OSTREL_API UiServices {
public:
    virtual ~UiServices() = default;
    // Returns the button pressed (IDOK, IDCANCEL, IDYES ...).
    virtual int MessageBox(HWND owner, const CString& text, const CString& caption, UINT style) = 0;
    // The release-assertion dialog: three read-only fields (check, class,
    // source file). Returns IDOK or IDCANCEL; the caller throws either way.
    virtual int AssertionDialog(const CString& check, const CString& className, const CString& sourceFile) = 0;
    // The system print dialog: all pages, no page range, no selection, no
    // print to file. IDOK hands over the chosen printer in `device`; IDCANCEL
    // means the person cancelled; IDABORT means no printer can be offered
    // here and `error` says why. Without a window there is no dialog: the
    // default refuses with IDABORT.
    virtual int PrintDialog(HWND owner, std::unique_ptr<PrintDevice>& device, CString& error);

    // Dialogs of the printer side. Providers without windows need not
    // override them: a dialog nobody can answer counts as cancelled.
    // The port's settings: IDOK with *dcb edited, or IDCANCEL.
    virtual int PortSettingsDialog(HWND owner, const CString& portName, DCB* dcb);
    // Product code, serial number and default configuration of the printer
    // under test: IDOK with the request filled in, or IDCANCEL.
    virtual int SerialNumberDialog(HWND owner, SerialNumberRequest& request);

    // The installed provider; the headless one when nothing was installed.
    static UiServices& Get();
    // Installs a provider (not owned; nullptr restores the headless one) and
    // returns the previous one.
    static UiServices* Install(UiServices* provider);
};

// The default answer of a box: the first button of its style.
OSTREL_API int DefaultButton(UINT style);

// Shows a box through the installed provider.
OSTREL_API int MessageBox(HWND owner, const CString& text, const CString& caption, UINT style = MB_OK);

// For programs without a window: prints each box on stderr and answers its
// default button. The library repeats a box for every attempt that fails the
// same way (a rate search, a printer that stays off), so a box just like the
// one before is held back and counted, and the text is printed once, with
// "(8 times)" when it came eight times in a row: when a different box comes,
// on Flush, and when the provider goes away.
class OSTREL_API HeadlessUiServices : public UiServices {
public:
    HeadlessUiServices() = default;
    explicit HeadlessUiServices(std::FILE* out) : m_out(out) {}
    ~HeadlessUiServices() override;
    int MessageBox(HWND owner, const CString& text, const CString& caption, UINT style) override;
    int AssertionDialog(const CString& check, const CString& className, const CString& sourceFile) override;
    // Prints the box held back, if any. Call it before writing to the same
    // stream, so that the lines keep their order.
    void Flush();

    // "caption: text", then " (N times)" for a repeated box.
    static std::string BoxLine(const CString& text, const CString& caption, std::size_t times);

private:
    std::FILE* m_out = nullptr;  // stderr when null
    std::mutex m_lock;
    CString m_text, m_caption;
    UINT m_style = 0;
    std::size_t m_times = 0;
};

// For tests: every box is recorded; answers come from a queue. A box that
// arrives when the queue is empty is recorded as unexpected and answered with
// its default button, so the test can fail on it.
class OSTREL_API ScriptedUiServices : public UiServices {
public:
    struct Box {
        bool assertion = false;
        bool print = false;  // a print dialog
        HWND owner = nullptr;
        CString text;
        CString caption;
        UINT style = 0;
        int answer = 0;
        bool expected = true;
        // Assertion dialog fields.
        CString check, className, sourceFile;
    };

    int MessageBox(HWND owner, const CString& text, const CString& caption, UINT style) override;
    int AssertionDialog(const CString& check, const CString& className, const CString& sourceFile) override;
    // Answered from the same queue; IDOK hands over the next queued device.
    // Unexpected, it answers IDABORT, so a caller that insists on printing
    // cannot loop for ever.
    int PrintDialog(HWND owner, std::unique_ptr<PrintDevice>& device, CString& error) override;

    // Queue the answer of the next box (or assertion or print dialog).
    void Answer(int button);
    void QueuePrintDevice(std::unique_ptr<PrintDevice> device);
    std::vector<Box> Boxes() const;
    std::size_t Count() const;
    std::size_t UnexpectedCount() const;
    std::size_t PendingAnswers() const;
    void Clear();

private:
    int Take(Box& b);
    mutable std::mutex m_lock;
    std::deque<int> m_answers;
    std::deque<std::unique_ptr<PrintDevice>> m_devices;
    std::vector<Box> m_boxes;
};

// The one process-wide provider of the few things the library must show a
// person: message boxes and the release-assertion dialog. The library never
// includes a widget toolkit; the host installs the provider it wants.
#pragma once

#include "CString.h"
#include "OstrelExport.h"
#include "WinTypes.h"

#include <deque>
#include <mutex>
#include <vector>

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
// default button.
class OSTREL_API HeadlessUiServices : public UiServices {
public:
    int MessageBox(HWND owner, const CString& text, const CString& caption, UINT style) override;
    int AssertionDialog(const CString& check, const CString& className, const CString& sourceFile) override;
};

// For tests: every box is recorded; answers come from a queue. A box that
// arrives when the queue is empty is recorded as unexpected and answered with
// its default button, so the test can fail on it.
class OSTREL_API ScriptedUiServices : public UiServices {
public:
    struct Box {
        bool assertion = false;
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

    // Queue the answer of the next box (or assertion dialog).
    void Answer(int button);
    std::vector<Box> Boxes() const;
    std::size_t Count() const;
    std::size_t UnexpectedCount() const;
    std::size_t PendingAnswers() const;
    void Clear();

private:
    int Take(Box& b);
    mutable std::mutex m_lock;
    std::deque<int> m_answers;
    std::vector<Box> m_boxes;
};

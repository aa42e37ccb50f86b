// The editor's application object: start-up, the program's settings, the
// document template, the main frame, the configuration file, the recent-file
// list and the application-level commands (new, open, help, about, web link,
// the hidden table generator).
//
// Not a QApplication: main() owns the QApplication and this object lives
// inside it, so that tests can start and end the editor several times in
// one process.
#pragma once

#include "CString.h"
#include "CmdTarget.h"
#include "DocumentHost.h"
#include "GYCopyPaste.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>

class CGlyphosDoc;
class CGlyphosMultiDocTemplate;
class CMainFrame;
class LoadGlyphosCfgFileApp;
class QSettings;

class CGlyphosApp : public QObject, public CCmdTarget, public IDocumentHost {
    Q_OBJECT
public:
    explicit CGlyphosApp(QObject* parent = nullptr);
    ~CGlyphosApp() override;

    // The one running application (the last constructed), or null.
    static CGlyphosApp* Instance();

    // Starts the editor with the command-line arguments (without the program
    // name). False when it must not run: the caller exits with a non-zero
    // status.
    bool InitInstance(const QStringList& arguments);

    // ---- Settings. The program folder comes from the system settings
    // (group "App. settings", key "Path"); the user's profile keeps the
    // window and bar state and the recent files.
    static constexpr const char* kOrganization = "Kalvo";
    static constexpr const char* kApplication = "Glyphos";
    std::unique_ptr<QSettings> Profile() const;
    const CString& Get_m_ProgramPath() const { return m_ProgramPath; }
    const CString& Get_m_CfgFileName() const { return m_CfgFileName; }
    CString Get_m_Version() const { return L"2.10"; }
    LoadGlyphosCfgFileApp* GetConfig() const { return m_cfg.get(); }
    // The log folder of the configuration file; empty before it is loaded.
    CString GetLogDir() const override;
    // <user's cache>/glyphos/NAME/, created when missing.
    static QString UserCacheDir(const QString& name);
    GYCopyPaste& GetCopyPaste() { return m_copyPaste; }

    CMainFrame* GetMainFrame() const { return m_mainFrame.get(); }
    CGlyphosMultiDocTemplate* GetDocTemplate() const { return m_template.get(); }
    // The document that last loaded or saved a font.
    CGlyphosDoc* GetActiveDoc() const;
    void SetActiveDoc(CGlyphosDoc* doc) override;

    // ---- Documents.
    CGlyphosDoc* OnFileNew();
    void OnFileOpen();
    // Opens a path (or shows the document that already has it open);
    // null when the file could not be opened.
    CGlyphosDoc* OpenDocumentFile(const QString& path);
    bool SaveAllModified();
    void CloseAllDocuments();
    QStringList RecentFiles() const;
    void AddToRecentFileList(const QString& path) override;
    void RemoveFromRecentFileList(const QString& path);

    // ---- Help and the hidden command.
    // Result codes of a shell open: above 32 is success; the others name the
    // failure the way the help command reports it.
    static constexpr int kShellOk = 33;
    static CString ShellErrorText(int code);
    // Opens a local file or a web address with the desktop's handler and
    // returns the result code; failures are shown to the user.
    // whenNoViewer is added to the message when nothing can open the target.
    int ShellOpen(const QString& target, const CString& whenNoViewer = CString());
    // Whether the desktop has a program that shows web pages.
    static bool HtmlViewerAvailable();
    using UrlOpener = std::function<bool(const QUrl&)>;
    // Replaces QDesktopServices::openUrl (tests).
    void SetUrlOpener(UrlOpener opener) { m_openUrl = std::move(opener); }
    static const char* const kWebPage;
    int OnHtmlHelp();
    int OnWebLink();
    void OnAppAbout();
    // The password dialog; true when the password was right.
    bool OnTableGenerator();
    // What a right password opens: the table generator dialog (tests
    // replace it).
    std::function<void(CGlyphosDoc*)> m_openTableGenerator;

    bool OnCmdMsg(int id) override;
    bool OnUpdateCmdUI(CCmdUI& ui) override;

    // ---- IDocumentHost: what the documents ask of the application
    // (GlyphosDocumentHost.cpp).
    QWidget* DocumentDialogParent() const override;
    void DocumentCharChanged(CGlyphosDoc* doc, int ch) override;
    void DocumentPreviewRefresh(CGlyphosDoc* doc) override;
    void OpenDocumentFrame(CGlyphosDoc* doc) override;
    void DocumentFramesClosed(CGlyphosDoc* doc) override;

private:
    bool ReadProgramPath();

    CString m_ProgramPath;
    CString m_CfgFileName;
    CString m_HelpWorkDir;  // working folder handed to the help viewer: none
    std::unique_ptr<LoadGlyphosCfgFileApp> m_cfg;
    GYCopyPaste m_copyPaste;
    std::unique_ptr<CGlyphosMultiDocTemplate> m_template;
    std::unique_ptr<CMainFrame> m_mainFrame;
    QPointer<CGlyphosDoc> m_activeDoc;
    UrlOpener m_openUrl;
};

#include "Glyphos.h"

#include "AboutDlg.h"
#include "ChildFrm.h"
#include "CommandIds.h"
#include "DialogPassword.h"
#include "DialogTableGen.h"
#include "PrintSetup.h"
#include "FileDialogs.h"
#include "GlyphosDoc.h"
#include "GlyphosMultiDocTemplate.h"
#include "GlyphosSystemSettings.h"
#include "LoadGlyphosCfgFileApp.h"
#include "MainFrm.h"
#include "QtText.h"
#include "UiServices.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

namespace {
CGlyphosApp* g_app = nullptr;

const char* const kRecentGroup = "Recent File List";

// The password of the hidden table generator.
const char* const kTablePassword = "pimerokavun";
}  // namespace

// The maker's web page, opened by the web link command.
const char* const CGlyphosApp::kWebPage = "https://www.kalvo.example/";

CGlyphosApp::CGlyphosApp(QObject* parent) : QObject(parent) {
    g_app = this;
    m_openUrl = [](const QUrl& url) { return HtmlViewerAvailable() && QDesktopServices::openUrl(url); };
    m_openTableGenerator = [this](CGlyphosDoc* doc) {
        CDialogTableGen dlg(doc->GetFont(), doc->GetFont().GetFontName(), doc->Core().GetBytesPerRow(),
                            m_mainFrame.get());
        const QString from = doc->DialogFolderPath();
        if (!from.isEmpty()) dlg.SetStartFolder(QFileInfo(from).absolutePath());
        dlg.exec();
    };
}

CGlyphosApp::~CGlyphosApp() {
    // Documents and their windows go before the frame that holds them.
    if (m_template) m_template->CloseAllDocuments();
    m_mainFrame.reset();
    m_template.reset();
    if (g_app == this) g_app = nullptr;
}

CGlyphosApp* CGlyphosApp::Instance() { return g_app; }

std::unique_ptr<QSettings> CGlyphosApp::Profile() const {
    auto s = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                         QString::fromLatin1(kOrganization), QString::fromLatin1(kApplication));
    // The system file of the same name holds the installation's settings,
    // not the user's: never read it through the profile.
    s->setFallbacksEnabled(false);
    return s;
}

bool CGlyphosApp::ReadProgramPath() {
    const std::optional<CString> path = GlyphosSystemSettings::ProgramPathQt();
    if (!path) {
        MessageBox(nullptr,
                   CString::Format(L"The reistry key %s is not find by program.\nVerify the registry integrity or "
                                   L"reinstal the program.",
                                   GlyphosSystemSettings::KeyDescriptionQt()),
                   L"Error", MB_ICONSTOP);
        return false;
    }
    m_ProgramPath = *path;
    return true;
}

bool CGlyphosApp::InitInstance(const QStringList& arguments) {
    if (!ReadProgramPath()) return false;
    m_CfgFileName = CString(L"Glyphos") + L".cfg";

    m_template = std::make_unique<CGlyphosMultiDocTemplate>(this);
    m_mainFrame = std::make_unique<CMainFrame>(this);
    if (!m_mainFrame->Create()) return false;

    // The configuration is read before the command line is processed (not
    // after the window shows): a PSW file named on the command line opens
    // its log in the configured log folder like any other.
    m_cfg = std::make_unique<LoadGlyphosCfgFileApp>(nullptr, m_ProgramPath, m_CfgFileName);
    // An installed program folder is read-only: the reader's dump then goes
    // to the user's cache.
    if (!QFileInfo(ToQString(m_ProgramPath) + QStringLiteral("DebugFile")).isWritable())
        m_cfg->Set_m_DebugDir(FromQString(UserCacheDir(QStringLiteral("DebugFile"))));
    m_cfg->LoadFileAppCfgInfo();

    // Every file named opens in its own window (a file manager passes all
    // the files chosen); start-up fails only when none of them opened.
    QStringList files;
    for (const QString& a : arguments) {
        if (!a.startsWith(QLatin1Char('-'))) files << a;
    }
    if (files.isEmpty()) {
        if (!OnFileNew()) return false;
    } else {
        int opened = 0;
        for (const QString& f : files) opened += OpenDocumentFile(f) ? 1 : 0;
        if (opened == 0) return false;
    }
    m_mainFrame->ShowRestored();
    return true;
}

QString CGlyphosApp::UserCacheDir(const QString& name) {
    const QString dir =
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/glyphos/") + name;
    QDir().mkpath(dir);
    return dir + QLatin1Char('/');
}

CString CGlyphosApp::GetLogDir() const {
    if (!m_cfg) return CString();
    // An installation's configuration names a folder in each user's home
    // ("~/..."); one that cannot be written falls back to the user's cache.
    QString dir = ToQString(m_cfg->Get_m_DirLogFile());
    if (dir.startsWith(QStringLiteral("~/"))) dir = QDir::homePath() + dir.mid(1);
    if (dir.isEmpty()) return CString();
    QDir().mkpath(dir);
    if (!QFileInfo(dir).isWritable()) return FromQString(UserCacheDir(QStringLiteral("logs")));
    return FromQString(dir);
}

CGlyphosDoc* CGlyphosApp::GetActiveDoc() const { return m_activeDoc.data(); }

void CGlyphosApp::SetActiveDoc(CGlyphosDoc* doc) { m_activeDoc = doc; }

CGlyphosDoc* CGlyphosApp::OnFileNew() { return m_template->OpenDocumentFile(QString()); }

void CGlyphosApp::OnFileOpen() {
    QFileDialog dlg(m_mainFrame.get(), tr("Open"));
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setNameFilters({QStringLiteral("Glyphos Files (*.kfn *.psw *.KFN *.PSW)"), QStringLiteral("All Files (*)")});
    PrepareFileDialog(dlg);
    const CGlyphosDoc* active = m_mainFrame->ActiveDocument();
    StartFileDialogIn(dlg, active ? ToQString(active->GetPathName()) : QString());
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
    OpenDocumentFile(dlg.selectedFiles().constFirst());
}

CGlyphosDoc* CGlyphosApp::OpenDocumentFile(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    CGlyphosDoc* doc = m_template->OpenDocumentFile(full);
    // Only a file whose font could be read is worth offering again.
    if (doc && doc->FontReadFromFile()) AddToRecentFileList(full);
    else RemoveFromRecentFileList(full);
    return doc;
}

bool CGlyphosApp::SaveAllModified() { return m_template ? m_template->SaveAllModified() : true; }

void CGlyphosApp::CloseAllDocuments() {
    if (m_template) m_template->CloseAllDocuments();
}

QStringList CGlyphosApp::RecentFiles() const {
    auto p = Profile();
    QStringList files;
    for (int i = 1; i <= cmd::FileMruCount; ++i) {
        const QString f = p->value(QStringLiteral("%1/File%2").arg(QLatin1String(kRecentGroup)).arg(i)).toString();
        if (!f.isEmpty()) files << f;
    }
    return files;
}

void CGlyphosApp::AddToRecentFileList(const QString& path) {
    QStringList files = RecentFiles();
    files.removeAll(path);
    files.prepend(path);
    auto p = Profile();
    for (int i = 1; i <= cmd::FileMruCount; ++i) {
        const QString key = QStringLiteral("%1/File%2").arg(QLatin1String(kRecentGroup)).arg(i);
        if (i <= files.size()) p->setValue(key, files[i - 1]);
        else p->remove(key);
    }
}

void CGlyphosApp::RemoveFromRecentFileList(const QString& path) {
    QStringList files = RecentFiles();
    if (!files.removeAll(path)) return;
    auto p = Profile();
    for (int i = 1; i <= cmd::FileMruCount; ++i) {
        const QString key = QStringLiteral("%1/File%2").arg(QLatin1String(kRecentGroup)).arg(i);
        if (i <= files.size()) p->setValue(key, files[i - 1]);
        else p->remove(key);
    }
}

CString CGlyphosApp::ShellErrorText(int code) {
    switch (code) {
        case 0: return L"The operating system is out of memory or resources. ";
        case 2: return L"The specified file was not found.";
        case 3: return L"The specified path was not found. ";
        case 5: return L"The operating system denied access to the specified file. ";
        case 8: return L"There was not enough memory to complete the operation.";
        case 11: return L"The .EXE file is invalid (non-Win32 .EXE or error in .EXE image).";
        case 27: return L"The file name association is incomplete or invalid.";
        case 28: return L"The DDE transaction could not be completed because the request timed out.";
        case 29: return L"The DDE transaction failed.";
        case 30: return L"The DDE transaction could not be completed because other DDE transactions were being processed.";
        case 31: return L"There is no application associated with the given file name extension. ";
        case 32: return L"The specified dynamic-link library was not found.";
        default: return L"No error listed.";
    }
}

bool CGlyphosApp::HtmlViewerAvailable() {
    // The desktop's opener starts in the background and reports nothing
    // when no program shows web pages: look for one first. A system without
    // any still has sensible-browser, which then fails, so it does not count.
    if (!qEnvironmentVariableIsEmpty("BROWSER")) return true;
    for (const char* browser : {"x-www-browser", "gnome-www-browser", "firefox", "firefox-esr", "chromium",
                                "google-chrome", "epiphany-browser", "konqueror", "falkon"}) {
        if (!QStandardPaths::findExecutable(QString::fromLatin1(browser)).isEmpty()) return true;
    }
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty()) return false;
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/html")});
    return query.waitForFinished(2000) && query.exitCode() == 0 && !query.readAllStandardOutput().trimmed().isEmpty();
}

int CGlyphosApp::ShellOpen(const QString& target, const CString& whenNoViewer) {
    // The desktop only says yes or no; what can be told apart beforehand is
    // told apart with the codes of the old shell.
    int code = kShellOk;
    QUrl url(target);
    if (url.scheme().isEmpty() || url.isLocalFile() || target.startsWith(QLatin1Char('/'))) {
        const QFileInfo fi(url.isLocalFile() ? url.toLocalFile() : target);
        if (target.isEmpty() || fi.isDir()) code = 2;
        else if (!fi.dir().exists()) code = 3;
        else if (!fi.exists()) code = 2;
        else if (!fi.isReadable()) code = 5;
        url = QUrl::fromLocalFile(fi.absoluteFilePath());
    }
    if (code == kShellOk && !m_openUrl(url)) code = 31;
    if (code <= 32) MessageBox(nullptr, ShellErrorText(code) + (code == 31 ? whenNoViewer : CString()), L"Error", MB_ICONSTOP);
    return code;
}

int CGlyphosApp::OnHtmlHelp() {
    CString help = m_cfg ? m_cfg->Get_m_HelpFile() : CString();
    QString path = ToQString(help);
    // A help file named without a folder lives in the program folder.
    if (!path.isEmpty() && QFileInfo(path).isRelative()) path = ToQString(m_ProgramPath) + path;
    // Nothing here shows web pages: the user can still open the manual
    // with whatever they read HTML with.
    return ShellOpen(path, L"\n\nThe manual is the file:\n" + FromQString(QFileInfo(path).absoluteFilePath()));
}

int CGlyphosApp::OnWebLink() { return ShellOpen(QString::fromLatin1(kWebPage)); }

void CGlyphosApp::OnAppAbout() {
    CAboutDlg dlg(Get_m_Version(), m_mainFrame.get());
    dlg.exec();
}

bool CGlyphosApp::OnTableGenerator() {
    // The table is made of a document's font: without one there is nothing
    // to ask the password for.
    CGlyphosDoc* doc = m_mainFrame ? m_mainFrame->ActiveDocument() : nullptr;
    if (!doc) return false;
    CDialogPassword dlg(m_mainFrame.get());
    if (dlg.exec() != QDialog::Accepted) return false;
    if (dlg.Get_m_Password() != QLatin1String(kTablePassword)) return false;
    if (m_openTableGenerator) m_openTableGenerator(doc);
    return true;
}

bool CGlyphosApp::OnCmdMsg(int id) {
    switch (id) {
        case cmd::FileNew: OnFileNew(); return true;
        case cmd::FileOpen: OnFileOpen(); return true;
        case cmd::AppExit: m_mainFrame->close(); return true;
        case cmd::AppAbout: OnAppAbout(); return true;
        case cmd::HtmlHelp: OnHtmlHelp(); return true;
        case cmd::WebLink: OnWebLink(); return true;
        case cmd::TableGenerator: OnTableGenerator(); return true;
        case cmd::FilePrintSetup: RunPrintSetup(m_mainFrame.get()); return true;
        default: break;
    }
    if (id >= cmd::FileMruFirst && id < cmd::FileMruFirst + cmd::FileMruCount) {
        const QStringList files = RecentFiles();
        const int i = id - cmd::FileMruFirst;
        if (i < files.size()) OpenDocumentFile(files[i]);
        return true;
    }
    return false;
}

bool CGlyphosApp::OnUpdateCmdUI(CCmdUI& ui) {
    switch (ui.m_nID) {
        case cmd::FileNew:
        case cmd::FileOpen:
        case cmd::AppExit:
        case cmd::AppAbout:
        case cmd::HtmlHelp:
        case cmd::WebLink:
        case cmd::FilePrintSetup: return true;
        case cmd::TableGenerator: ui.Enable(m_mainFrame && m_mainFrame->ActiveDocument()); return true;
        default: break;
    }
    return ui.m_nID >= cmd::FileMruFirst && ui.m_nID < cmd::FileMruFirst + cmd::FileMruCount;
}

#include "GlyphosDoc.h"

#include "ChildFrm.h"
#include "CommandIds.h"
#include "DialogSelectFont.h"
#include "EditingView.h"
#include "FileDialogs.h"
#include "FontConverter.h"
#include "QtText.h"
#include "UiServices.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QFileInfo>
#include <QInputDialog>

#include <algorithm>
#include <new>

CGlyphosDoc::CGlyphosDoc(IDocumentHost* host, QObject* parent) : QObject(parent), m_host(host), m_core(NewCore()) {
    m_core->SetObserver(this);
}

CGlyphosDoc::~CGlyphosDoc() {
    if (m_core) m_core->SetObserver(nullptr);
}

std::unique_ptr<CGlyphosDocCore> CGlyphosDoc::NewCore() const {
    auto core = std::make_unique<CGlyphosDocCore>();
    core->SetLogDir(m_host->GetLogDir());
    if (m_core) core->ShareLog(*m_core);
    return core;
}

void CGlyphosDoc::Adopt(std::unique_ptr<CGlyphosDocCore> core) {
    m_core->SetObserver(nullptr);
    m_core = std::move(core);
    m_core->SetObserver(this);
    CurrentCharChanged(m_core->GetCurrentChar());
    RefreshPreview();
    UpdateAllViews(0);
}

bool CGlyphosDoc::Guard(const std::function<void()>& work) {
    try {
        work();
        return true;
    } catch (int) {
        // The release-assertion dialog has told the user already.
        return false;
    } catch (const std::bad_alloc&) {
        MessageBox(nullptr, L"No memory to load font file data.", L"Error", MB_ICONSTOP);
        return false;
    }
}

CString CGlyphosDoc::GetFontName() const {
    const CString& name = m_core->GetFont().GetFontName();
    return name.IsEmpty() ? CString(L"No name font") : name;
}

// ---------------------------------------------------------------- framework side

bool CGlyphosDoc::OnNewDocument() {
    return Guard([this] { m_core->OnNewDocument(); });
}

bool CGlyphosDoc::OnOpenDocument(const QString& path) {
    const CString p = FromQString(path);
    switch (CGlyphosDocCore::ClassifyPath(p)) {
        case CGlyphosDocCore::PathKind::Psw: {
            // The font is read into a document logic of its own and taken
            // only when it loaded: whatever goes wrong, this document keeps
            // its (default) font, and its window opens either way.
            auto fresh = NewCore();
            int ok = 0;
            Guard([&] { ok = fresh->OpenFromPsw(p, *this); });
            if (ok) {
                Adopt(std::move(fresh));
                m_host->SetActiveDoc(this);
            }
            m_fontReadFromFile = ok != 0;
            return true;
        }
        case CGlyphosDocCore::PathKind::Kfn: {
            int ok = 0;
            Guard([&] { ok = m_core->LoadKfnFile(p); });
            if (ok) m_host->SetActiveDoc(this);
            m_fontReadFromFile = ok != 0;
            return ok != 0;
        }
        case CGlyphosDocCore::PathKind::Unknown: break;
    }
    MessageBox(nullptr, L"The exension file selected isn't correct!", L"Error", MB_ICONSTOP);
    return false;
}

bool CGlyphosDoc::OnSaveDocument(const QString& path) {
    int ok = 0;
    Guard([&] { ok = m_core->SaveKfnFile(FromQString(path)); });
    if (!ok) return false;
    SetModifiedFlag(false);
    m_host->SetActiveDoc(this);
    return true;
}

bool CGlyphosDoc::DoFileSave() {
    // A document with no font file behind it (a new one, or one read from a
    // PSW file, which carries that file's path) is stored with Save As:
    // refusing it would leave the save-changes prompt without a way to save.
    if (CGlyphosDocCore::ClassifyPath(m_pathName) != CGlyphosDocCore::PathKind::Kfn) return DoSave(QString());
    return OnSaveDocument(ToQString(m_pathName));
}

bool CGlyphosDoc::DoSave(const QString& path) {
    QString target = path;
    if (target.isEmpty()) {
        // A font imported from BDF or PSF is proposed under its own name
        // beside the file it came from; the title (the file's name) would
        // make "name.bdfFont.kfn".
        QString proposed = ToQString(CGlyphosDocCore::ProposeSaveAsName(m_title, GetFontName()));
        if (!m_importedFrom.isEmpty()) {
            proposed = ToQString(GetFontName()).replace(QLatin1Char('/'), QLatin1Char('_'));
            if (!proposed.endsWith(QStringLiteral(".kfn"), Qt::CaseInsensitive)) proposed += QStringLiteral(".kfn");
            proposed = QFileInfo(m_importedFrom).absoluteDir().filePath(proposed);
        }
        QFileDialog dlg(m_host->DocumentDialogParent(), tr("Save As"));
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setNameFilters({QStringLiteral("Glyphos Files (*.kfn *.KFN)"), QStringLiteral("All Files (*)")});
        dlg.setDefaultSuffix(QStringLiteral("kfn"));
        PrepareFileDialog(dlg);
        // The commands that ask run on the active document: this one.
        StartFileDialogIn(dlg, DialogFolderPath());
        dlg.selectFile(proposed);
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
        target = dlg.selectedFiles().constFirst();
        if (!CGlyphosDocCore::CheckSaveAsPath(FromQString(target))) return false;
    } else if (!CGlyphosDocCore::CheckKfnPath(FromQString(target))) {
        return false;
    }
    if (!OnSaveDocument(target)) return false;
    SetPathName(QFileInfo(target).absoluteFilePath());
    m_host->AddToRecentFileList(ToQString(m_pathName));
    return true;
}

void CGlyphosDoc::SetTitle(const CString& title) {
    m_title = title;
    UpdateFrameTitles();
    emit titleChanged();
}

QString CGlyphosDoc::DialogFolderPath() const {
    return m_pathName.IsEmpty() ? m_importedFrom : ToQString(m_pathName);
}

void CGlyphosDoc::SetPathName(const QString& path) {
    m_pathName = FromQString(path);
    if (!path.isEmpty()) m_importedFrom.clear();
    SetTitle(FromQString(QFileInfo(path).fileName()));
}

void CGlyphosDoc::SetModifiedFlag(bool modified) {
    if (m_modified == modified) return;
    m_modified = modified;
    UpdateFrameTitles();
    emit titleChanged();
}

bool CGlyphosDoc::SaveModified() {
    if (!m_modified) return true;
    const int answer = MessageBox(nullptr, CString::Format(L"Save changes to %s?", m_title), L"Glyphos",
                                  MB_YESNOCANCEL | MB_ICONEXCLAMATION);
    if (answer == IDCANCEL) return false;
    if (answer == IDNO) return true;
    return DoFileSave();
}

// ---------------------------------------------------------------- PSW commands

QString CGlyphosDoc::AskPswFile(const QString& title, bool forSaving) const {
    QFileDialog dlg(m_host->DocumentDialogParent(), title);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    // Writing into a PSW file replaces a font inside it: the file must exist.
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setNameFilters(
        {QStringLiteral("Kalvo Printers Upgrade Files (*.psw *.PSW)"), QStringLiteral("All Files (*)")});
    dlg.setDefaultSuffix(QStringLiteral("psw"));
    if (forSaving) dlg.setLabelText(QFileDialog::Accept, tr("&Save"));
    PrepareFileDialog(dlg);
    StartFileDialogIn(dlg, DialogFolderPath());
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
    return dlg.selectedFiles().constFirst();
}

bool CGlyphosDoc::OnOpenPsw() {
    // Unsaved edits are not dropped by loading another font over them.
    if (!SaveModified()) return false;
    const QString path = AskPswFile(tr("Open"), false);
    return !path.isEmpty() && OpenPswInto(path);
}

bool CGlyphosDoc::OpenPswInto(const QString& path) {
    auto fresh = NewCore();
    int ok = 0;
    Guard([&] { ok = fresh->OpenFromPsw(FromQString(path), *this); });
    if (!ok) return false;
    Adopt(std::move(fresh));
    // The document no longer holds what its file holds: it has no file
    // until it is saved, and its title names the PSW file and the font.
    m_pathName.Empty();
    m_importedFrom.clear();
    SetTitle(FromQString(QFileInfo(path).fileName()) + m_core->GetFont().GetFontName());
    SetModifiedFlag(true);
    m_host->SetActiveDoc(this);
    return true;
}

bool CGlyphosDoc::OnSaveInPsw() {
    const QString path = AskPswFile(QStringLiteral("Save data font to *.psw file"), true);
    return !path.isEmpty() && SaveInPsw(path);
}

bool CGlyphosDoc::SaveInPsw(const QString& path) {
    const CString p = FromQString(path);
    int ok = 0;
    Guard([&] { ok = m_core->SaveIntoPsw(p, *this); });
    if (ok) {
        MessageBox(nullptr, CString::Format(L"Data font successfully saved in:\n%s\nfile.", p), L"Data font saved",
                   MB_OK | MB_ICONINFORMATION);
        m_host->SetActiveDoc(this);
        return true;
    }
    // A cancelled choice ends quietly, and a file without a fitting slot has
    // been named as such already: neither needs the failure box.
    if (m_core->GetSaveStop() != CGlyphosDocCore::SaveStop::None) return false;
    MessageBox(nullptr,
               CString::Format(L"You have select an existing *.psw file?.\nThis operation is possible also if the "
                               L"file:\n%s\nexist!",
                               p),
               L"Error", MB_OK | MB_ICONSTOP);
    return false;
}

// ---------------------------------------------------------------- BDF / PSF

namespace {

const QStringList kFontFileFilters = {QStringLiteral("BDF and PSF fonts (*.bdf *.psf *.psf.gz *.bdf.gz *.BDF *.PSF)"),
                                      QStringLiteral("All Files (*)")};
// Export writes what the extension names, the editor's own format included.
const QStringList kExportFilters = {QStringLiteral("BDF, PSF and Glyphos fonts (*.bdf *.psf *.psf.gz *.kfn)"),
                                    QStringLiteral("BDF fonts (*.bdf)"), QStringLiteral("PSF fonts (*.psf *.psf.gz)"),
                                    QStringLiteral("Glyphos Files (*.kfn)"), QStringLiteral("All Files (*)")};

// Code pages offered for fonts indexed by Unicode; another number may be typed.
const char* const kCodePages[] = {"1252  (ANSI - Latin I)", "437  (OEM - United States)", "850  (OEM - Multilingual Latin I)",
                                  "858  (OEM - Multilingual Latin I + Euro)", "1250  (ANSI - Central Europe)",
                                  "1251  (ANSI - Cyrillic)", "1253  (ANSI - Greek)", "866  (OEM - Russian)"};

}  // namespace

bool CGlyphosDoc::OnImportFont() {
    if (!SaveModified()) return false;
    QFileDialog dlg(m_host->DocumentDialogParent(), tr("Import Font"));
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setNameFilters(kFontFileFilters);
    PrepareFileDialog(dlg);
    StartFileDialogIn(dlg, DialogFolderPath());
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
    return ImportFontFrom(dlg.selectedFiles().constFirst());
}

bool CGlyphosDoc::ImportFontFrom(const QString& path) {
    BitmapFont font;
    std::string error;
    const CString name = FromQString(QFileInfo(path).fileName());
    if (!FontConverter::ReadFile(FromQString(path), font, error)) {
        MessageBox(nullptr, name + L": " + CString::FromUtf8(error), L"Error", MB_OK | MB_ICONSTOP);
        return false;
    }
    FontConvertOptions options;
    if (font.unicode && !font.printer) {
        // The printer's codes are 0..255: the user says which code page they are.
        const int cp = m_codePageChooser ? m_codePageChooser() : AskCodePage();
        if (cp <= 0) return false;
        options.codePage = cp;
    }
    auto fresh = NewCore();
    if (!FontConverter::ToDocument(font, options, *fresh, error)) {
        MessageBox(nullptr, name + L": " + CString::FromUtf8(error), L"Error", MB_OK | MB_ICONSTOP);
        return false;
    }
    Adopt(std::move(fresh));
    // Like a font taken from a PSW file: no file of its own until saved.
    m_pathName.Empty();
    m_importedFrom = QFileInfo(path).absoluteFilePath();
    SetTitle(FromQString(QFileInfo(path).fileName()));
    SetModifiedFlag(true);
    m_host->SetActiveDoc(this);
    return true;
}

int CGlyphosDoc::AskCodePage() const {
    QStringList items;
    for (const char* c : kCodePages) items << QString::fromLatin1(c);
    bool ok = false;
    const QString chosen = QInputDialog::getItem(m_host->DocumentDialogParent(), tr("Import Font"),
                                                 tr("The font is indexed by Unicode. Code page of the printer's codes:"),
                                                 items, 0, true, &ok);
    if (!ok) return 0;
    return chosen.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty).toInt();
}

bool CGlyphosDoc::OnExportFont() {
    QFileDialog dlg(m_host->DocumentDialogParent(), tr("Export Font"));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setNameFilters(kExportFilters);
    dlg.setDefaultSuffix(QStringLiteral("bdf"));
    PrepareFileDialog(dlg);
    StartFileDialogIn(dlg, DialogFolderPath());
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
    return ExportFontTo(dlg.selectedFiles().constFirst());
}

bool CGlyphosDoc::ExportFontTo(const QString& path) {
    std::string error;
    bool ok = false;
    Guard([&] { ok = FontConverter::Export(*m_core, FromQString(path), {}, error); });
    if (!ok && !error.empty()) MessageBox(nullptr, CString::FromUtf8(error), L"Error", MB_OK | MB_ICONSTOP);
    return ok;
}

int CGlyphosDoc::SelectFont(const std::vector<FontChoice>& choices) {
    if (m_chooser) return m_chooser(choices);
    std::vector<CString> lines;
    lines.reserve(choices.size());
    for (const FontChoice& c : choices) lines.push_back(c.line);
    CDialogSelectFont dlg(m_host->DocumentDialogParent(), &lines);
    // Wide enough for its title beside the window manager's buttons.
    const int titleWidth = QFontMetrics(QApplication::font()).horizontalAdvance(dlg.windowTitle()) + 140;
    if (dlg.width() < titleWidth) dlg.resize(titleWidth, dlg.height());
    if (dlg.exec() != QDialog::Accepted) return -1;
    return dlg.Get_m_NumFontSel();
}

// ---------------------------------------------------------------- windows

void CGlyphosDoc::CurrentCharChanged(int ch) {
    m_host->DocumentCharChanged(this, ch);
}

void CGlyphosDoc::RefreshPreview() {
    m_host->DocumentPreviewRefresh(this);
    emit fontShown();
}

void CGlyphosDoc::AddFrame(CChildFrame* frame) {
    m_frames.push_back(frame);
    UpdateFrameTitles();
}

void CGlyphosDoc::RemoveFrame(CChildFrame* frame) {
    auto it = std::find(m_frames.begin(), m_frames.end(), frame);
    if (it == m_frames.end()) return;
    m_frames.erase(it);
    UpdateFrameTitles();
    if (m_frames.empty()) m_host->DocumentFramesClosed(this);
}

void CGlyphosDoc::UpdateFrameTitles() {
    const bool several = m_frames.size() > 1;
    for (std::size_t i = 0; i < m_frames.size(); ++i)
        m_frames[i]->UpdateTitle(several ? static_cast<int>(i) + 1 : 0);
}

void CGlyphosDoc::UpdateAllViews(int hint) {
    for (CChildFrame* f : m_frames) {
        if (auto* view = dynamic_cast<IEditingView*>(f->GetView())) view->OnUpdate(hint);
    }
    emit fontShown();
}

void CGlyphosDoc::OnFileClose() {
    if (!SaveModified()) return;
    for (CChildFrame* f : std::vector<CChildFrame*>(m_frames)) f->CloseWithoutPrompt();
}

bool CGlyphosDoc::SelectChar(int code) {
    bool moved = false;
    Guard([&] { moved = m_core->GoToChar(code); });
    return moved || code == GetCurrentChar();
}

// ---------------------------------------------------------------- commands

bool CGlyphosDoc::OnCmdMsg(int id) {
    switch (id) {
        case cmd::FileSave: DoFileSave(); return true;
        case cmd::FileSaveAs: DoSave(QString()); return true;
        case cmd::FileOpenPsw: OnOpenPsw(); return true;
        case cmd::FileSaveInPsw: OnSaveInPsw(); return true;
        case cmd::FileImportFont: OnImportFont(); return true;
        case cmd::FileExportFont: OnExportFont(); return true;
        case cmd::FileClose: OnFileClose(); return true;
        case cmd::WindowNew: m_host->OpenDocumentFrame(this); return true;
        case cmd::FirstChar: FirstChar(); return true;
        case cmd::PrevChar: PrevChar(); return true;
        case cmd::NextChar: NextChar(); return true;
        case cmd::LastChar: LastChar(); return true;
        default: return false;
    }
}

bool CGlyphosDoc::OnUpdateCmdUI(CCmdUI& ui) {
    switch (ui.m_nID) {
        case cmd::FileSave:
        case cmd::FileSaveAs:
        case cmd::FileOpenPsw:
        case cmd::FileSaveInPsw:
        case cmd::FileImportFont:
        case cmd::FileExportFont:
        case cmd::FileClose:
        case cmd::WindowNew: return true;
        case cmd::FirstChar:
        case cmd::PrevChar: ui.Enable(GetCurrentChar() > GetFont().GetFirstChar()); return true;
        case cmd::NextChar:
        case cmd::LastChar: ui.Enable(GetCurrentChar() < GetFont().GetLastChar()); return true;
        default: return false;
    }
}

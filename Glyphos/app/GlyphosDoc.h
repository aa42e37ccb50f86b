// The font document as the editor's windows see it: the headless document
// logic (CGlyphosDocCore: the font, its display settings and its files)
// with the windows that show it, its title, path and modified flag, and the
// file commands with their dialogs. Where the logic asks which font of a PSW
// file to take, the font selection dialog answers.
//
// Every command catches what the library throws on a broken file (the
// integer of MYThrow, or memory exhaustion): a bad file ends the command
// with a message and the document keeps the font it had.
#pragma once

#include "CString.h"
#include "CmdTarget.h"
#include "DocumentHost.h"
#include "GlyphosDocCore.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class CChildFrame;

class CGlyphosDoc : public QObject, public CCmdTarget, private IDocChoices, private IDocObserver {
    Q_OBJECT
public:
    CGlyphosDoc(IDocumentHost* host, QObject* parent = nullptr);
    ~CGlyphosDoc() override;

    CGlyphosDocCore& Core() { return *m_core; }
    const CGlyphosDocCore& Core() const { return *m_core; }
    KalvoFont& GetFont() { return m_core->GetFont(); }
    const KalvoFont& GetFont() const { return m_core->GetFont(); }
    // The name shown for the font ("No name font" when it has none).
    CString GetFontName() const;

    // ---- Framework side.
    bool OnNewDocument();
    // ".psw" anywhere in the path (any case): the font chosen from the file
    // (the window opens even when no font was loaded); ".kfn": the font
    // file; anything else is refused.
    bool OnOpenDocument(const QString& path);
    // Whether OnOpenDocument took a font from its file (a PSW file's window
    // opens also when it did not).
    bool FontReadFromFile() const { return m_fontReadFromFile; }
    // Writes the ".kfn" file.
    bool OnSaveDocument(const QString& path);
    // Save: to the document's path, or Save As when it has none.
    bool DoFileSave();
    // Save As with the name proposal; an empty path asks for one.
    bool DoSave(const QString& path);

    CString GetTitle() const { return m_title; }
    void SetTitle(const CString& title);
    CString GetPathName() const { return m_pathName; }
    // Sets the path and, from it, the title (the file name).
    void SetPathName(const QString& path);
    bool IsModified() const { return m_modified; }
    void SetModifiedFlag(bool modified = true);
    // Asks whether to save a modified document; false when the user cancels
    // or the save fails.
    bool SaveModified();

    // ---- The two PSW commands.
    // "Open *.psw": asks for a file and loads one of its fonts into this
    // document. Returns true when a font was loaded.
    bool OnOpenPsw();
    bool OpenPswInto(const QString& path);
    // "Save In (*.psw) File": asks for an existing file and writes the font
    // into one of its compatible slots. Returns true on success.
    bool OnSaveInPsw();
    bool SaveInPsw(const QString& path);

    // File > Import / Export: BDF and PSF fonts. Import replaces the font
    // (after offering to save changes), asking the code page when the file is
    // indexed by Unicode; export writes the format the extension names.
    bool OnImportFont();
    bool ImportFontFrom(const QString& path);
    bool OnExportFont();
    bool ExportFontTo(const QString& path);
    // Tests answer the code-page question without a dialog (0 cancels).
    void SetCodePageChooser(std::function<int()> chooser) { m_codePageChooser = std::move(chooser); }

    // Where the file dialogs of this document start: its file, else the
    // BDF or PSF file its font was imported from (empty: home).
    QString DialogFolderPath() const;

    // ---- Windows.
    void AddFrame(CChildFrame* frame);
    void RemoveFrame(CChildFrame* frame);
    const std::vector<CChildFrame*>& Frames() const { return m_frames; }
    void UpdateFrameTitles();
    void UpdateAllViews(int hint) override;
    // Closes all windows of the document (asking to save first).
    void OnFileClose();

    // ---- Current character (the core's navigation with the windows told).
    int GetCurrentChar() const { return m_core->GetCurrentChar(); }
    int GetUpdateHint() const { return m_core->GetRedrawHint(); }
    void NextChar() { Guard([this] { m_core->NextChar(); }); }
    void PrevChar() { Guard([this] { m_core->PrevChar(); }); }
    void SixteenBack() { Guard([this] { m_core->Back16(); }); }
    void SixteenForward() { Guard([this] { m_core->Forward16(); }); }
    void FirstChar() { Guard([this] { m_core->FirstChar(); }); }
    void LastChar() { Guard([this] { m_core->LastChar(); }); }
    // Makes code the current character when it lies in the font's range.
    bool SelectChar(int code);

    // Replaces the font selection dialog (tests of the file logic); the
    // function gets the lines and returns the chosen index or -1.
    using FontChooser = std::function<int(const std::vector<FontChoice>&)>;
    void SetFontChooser(FontChooser chooser) { m_chooser = std::move(chooser); }

    bool OnCmdMsg(int id) override;
    bool OnUpdateCmdUI(CCmdUI& ui) override;

signals:
    void titleChanged();
    // The windows were told to show the font again (an edit, another
    // character, another font): for what draws the font outside them.
    void fontShown();

private:
    // IDocChoices: the font selection dialog.
    int SelectFont(const std::vector<FontChoice>& choices) override;
    // IDocObserver
    void CurrentCharChanged(int ch) override;
    void RefreshPreview() override;

    // Runs a piece of file or font work, catching what a broken file makes
    // the library throw. Returns false when something was thrown.
    bool Guard(const std::function<void()>& work);
    std::unique_ptr<CGlyphosDocCore> NewCore() const;
    void Adopt(std::unique_ptr<CGlyphosDocCore> core);
    QString AskPswFile(const QString& title, bool forSaving) const;
    int AskCodePage() const;

    IDocumentHost* m_host;
    std::unique_ptr<CGlyphosDocCore> m_core;
    CString m_title;
    CString m_pathName;
    bool m_modified = false;
    bool m_fontReadFromFile = false;
    // The BDF or PSF file the font came from, until it has a file of its own.
    QString m_importedFrom;
    std::function<int()> m_codePageChooser;
    std::vector<CChildFrame*> m_frames;
    FontChooser m_chooser;
};

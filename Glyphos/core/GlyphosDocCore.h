// The font document without its windows: one KalvoFont, the display settings
// its views share, the ".kfn" file, opening a font from a PSW file and writing
// it back into one. The editor wraps it in its document class; glyphos-cli
// uses it as it is. Where the user must choose (which font, which slot) the
// document asks through IDocChoices.
#pragma once

#include "DocDisplay.h"
#include "KalvoFont.h"
#include "LogFontRecord.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CHeaderPsw;
class CHeaderPsw2;
class CKalvoNewDebugObject;

// One line of the font selection list, with the font's 1-based position in
// the file's font header.
struct FontChoice {
    CString line;
    int position = 0;
};

class IDocChoices {
public:
    virtual ~IDocChoices() = default;
    // Returns the index into `choices` of the chosen font, or -1 to cancel.
    virtual int SelectFont(const std::vector<FontChoice>& choices) = 0;
};

// What the windows of a document hear about it.
class IDocObserver {
public:
    virtual ~IDocObserver() = default;
    // The current character changed (the main frame's character pane).
    virtual void CurrentCharChanged(int /*ch*/) {}
    // Repaint the font preview window.
    virtual void RefreshPreview() {}
    // Redraw every view of the document with the given hint.
    virtual void UpdateAllViews(int /*hint*/) {}
};

class CGlyphosDocCore {
public:
    enum class PathKind { Psw, Kfn, Unknown };
    static constexpr int kHintCharChanged = 10;

    CGlyphosDocCore();
    ~CGlyphosDocCore();
    CGlyphosDocCore(const CGlyphosDocCore&) = delete;
    CGlyphosDocCore& operator=(const CGlyphosDocCore&) = delete;

    void SetObserver(IDocObserver* observer) { m_pObserver = observer; }
    // Folder of the debug log ("DirLog" of the editor's configuration).
    void SetLogDir(const CString& dir) { m_LogDir = dir; }
    const CString& GetLogDir() const { return m_LogDir; }

    // ---- The font and what is derived from its record.
    KalvoFont& GetFont() { return *m_pFont; }
    const KalvoFont& GetFont() const { return *m_pFont; }
    DocDisplay& GetDisplay() { return m_Display; }
    const DocDisplay& GetDisplay() const { return m_Display; }
    int GetNewFont() const { return m_NewFont; }
    void SetNewFont(int flag) { m_NewFont = flag; }
    int GetBytesPerRow() const { return m_BytesPerRow; }
    std::uint32_t GetFontBlockPosition() const { return m_FontBlockPosition; }
    std::uint32_t GetFontBlockSize() const { return m_FontBlockSize; }
    int GetFullRange() const { return m_FullRange; }
    int GetCurrentChar() const { return m_CurrentChar; }
    int GetRedrawHint() const { return m_RedrawHint; }
    // The installed typeface the font's characters were last drawn from.
    LogFontRecord& GetImportFont() { return m_ImportFont; }
    const LogFontRecord& GetImportFont() const { return m_ImportFont; }
    void SetRedrawHint(int hint) { m_RedrawHint = hint; }

    // A new document: the default font (16 x 24, characters 32..255).
    void OnNewDocument();
    // Copies a record (16 or 30 bytes in memory order, by the generation
    // flag) into the record in force and derives everything from it.
    void ApplyPropertyRecord(const unsigned char* record, int generation, const CString& name);
    // Re-derives bytes per row and the full-range flag after the record was
    // edited in place (the property dialog), and shows the font at "Max
    // Resolution".
    void PropertiesChanged();

    // ---- Paths.
    static PathKind ClassifyPath(const CString& path);
    // Save As: the proposed file name for a document title.
    static CString ProposeSaveAsName(const CString& title, const CString& fontName);
    // Save As: refuses ".psw" targets with the editor's message.
    static int CheckSaveAsPath(const CString& path);
    // Save / open: requires ".kfn" (or ".psw" to open) with the editor's message.
    static int CheckKfnPath(const CString& path);

    // ---- ".kfn" files.
    std::vector<unsigned char> StoreKfn();
    // Parses a whole ".kfn" image; on a damaged image the document is left
    // as it was and the result is 0.
    int LoadKfn(const unsigned char* data, std::size_t size);
    // File forms; messages through the UI services.
    int SaveKfnFile(const CString& path);
    int LoadKfnFile(const CString& path);

    // ---- PSW files.
    int OpenFromPsw(const CString& path, IDocChoices& choices);
    int SaveIntoPsw(const CString& path, IDocChoices& choices);
    // Why the last SaveIntoPsw wrote nothing, when it was not a failure to
    // report: the file has no slot for this font (already said), or the
    // user cancelled the choice of slot.
    enum class SaveStop { None, NoSlot, Cancelled };
    SaveStop GetSaveStop() const { return m_SaveStop; }
    // Why the last SaveIntoPsw or SaveKfnFile could not replace its file
    // (the file in use, read-only, the system's reason), empty otherwise.
    const std::string& GetWriteError() const { return m_WriteError; }
    // The list lines of a PSW file's fonts, in file order (opens the log).
    int ListPswFonts(const CString& path, std::vector<FontChoice>& out);

    // ---- Character navigation; each answers whether it moved.
    bool NextChar();
    bool PrevChar();
    bool Back16();
    bool Forward16();
    bool FirstChar();
    bool LastChar();
    bool GoToChar(int ch);

    CKalvoNewDebugObject* GetLog() { return m_pDebugObj.get(); }
    // Writes into the log of `other` when it has one: a document that reads
    // one font after another keeps one log.
    void ShareLog(const CGlyphosDocCore& other);

private:
    bool EnsureLog();
    bool MoveTo(int ch);
    void Log(const CString& text);
    // Steps 3-4 of opening: header readers of the file.
    bool LoadHeaders(const CString& path, std::unique_ptr<CHeaderPsw>& h1, std::unique_ptr<CHeaderPsw2>& h2);
    // A ".kfn" file up to its dot strings (record, name, row length); empty
    // after a name that cannot be stored, which it has said.
    std::vector<unsigned char> KfnHead() const;

    std::unique_ptr<KalvoFont> m_pFont;
    DocDisplay m_Display;
    std::unique_ptr<CHeaderPsw> m_pHeaderPsw;
    std::unique_ptr<CHeaderPsw2> m_pHeaderPsw2;
    std::shared_ptr<CKalvoNewDebugObject> m_pDebugObj;
    CString m_LogDir;
    IDocObserver* m_pObserver = nullptr;
    int m_NewFont = 1;
    std::uint32_t m_FontBlockPosition = 0;
    std::uint32_t m_FontBlockSize = 0;
    int m_BytesPerRow = 0;
    int m_RedrawHint = 0;
    int m_FullRange = 0;
    int m_CurrentChar = 0;
    SaveStop m_SaveStop = SaveStop::None;
    std::string m_WriteError;
    LogFontRecord m_ImportFont;
};

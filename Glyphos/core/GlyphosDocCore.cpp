#include "GlyphosDocCore.h"

#include "BigEndian.h"
#include "CrittoPswFile.h"
#include "FileUtil.h"
#include "HeaderFontPsw.h"
#include "HeaderFontPsw2.h"
#include "HeaderBinPsw.h"
#include "HeaderPsw.h"
#include "HeaderPsw2.h"
#include "KalvoNewDebugObject.h"
#include "PswImage.h"
#include "PswLayout.h"
#include "UiServices.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <set>

namespace {
const wchar_t* const kError = L"Error";
const wchar_t* const kBadExtension = L"The exension file selected isn't correct!";
const wchar_t* const kErrOpen = L"\nError open file: %s";
const wchar_t* const kErrLoad = L"\nImpossible load data font to file: %s";

int ShowError(const CString& text, UINT icon = MB_ICONERROR) { return MessageBox(nullptr, text, kError, MB_OK | icon); }

CString Lower(const CString& s) {
    CString l = s;
    return l.MakeLower();
}

// The meaning-level view of a property record of either generation, for
// matching a document's font against a PSW file's font slots.
struct FontShape {
    int tag, width, height, first, last, orientation, left, right, up, bottom, byteOrder, generation;
    static FontShape Of(const _headerFont& r) {
        return {r.Tag, r.Width, r.Height, r.FirstChar, r.LastChar, r.Orientation, r.MarginLeft,
                r.MarginRight, r.MarginUp, r.MarginBottom, r.ByteOrder, 0};
    }
    static FontShape Of(const _headerFont2& r) {
        return {r.Tag, r.Width, r.Height, r.FirstChar, r.LastChar, r.Orientation, r.MarginLeft,
                r.MarginRight, r.MarginUp, r.MarginBottom, r.ByteOrder, 1};
    }
    bool SameFontAs(const FontShape& o) const {
        // A first-generation tag is the upper-case letter of the
        // second-generation one ("F" and "f").
        bool tagsAgree = generation == o.generation        ? tag == o.tag
                         : generation == 0                  ? tag + 32 == o.tag
                                                            : o.tag + 32 == tag;
        return tagsAgree && width == o.width && height == o.height && first == o.first && last == o.last &&
               orientation == o.orientation && left == o.left && right == o.right && up == o.up &&
               bottom == o.bottom && byteOrder == o.byteOrder;
    }
};

const _headerFont kDefaultRecord = {'F', 0, 0, 16, 24, 32, 255, {0, 0, 0}, 'H', 0, 0, 0, 0, 0};
}  // namespace

CGlyphosDocCore::CGlyphosDocCore() : m_pFont(std::make_unique<KalvoFont>()) { OnNewDocument(); }

CGlyphosDocCore::~CGlyphosDocCore() = default;

void CGlyphosDocCore::OnNewDocument() {
    ApplyPropertyRecord(reinterpret_cast<const unsigned char*>(&kDefaultRecord), 0, CString());
    m_NewFont = 1;
}

void CGlyphosDocCore::ApplyPropertyRecord(const unsigned char* record, int generation, const CString& name) {
    m_Display = DocDisplay{};
    KalvoFont& f = *m_pFont;
    f.SetFontName(name.IsEmpty() ? CString(L"No name font") : name);
    f.SetHeaderGeneration(generation);
    std::memcpy(f.GetHeaderBytes(), record, static_cast<std::size_t>(f.GetHeaderSize()));
    PropertiesChanged();
    m_CurrentChar = f.GetFirstChar();
    if (m_pObserver) m_pObserver->CurrentCharChanged(m_CurrentChar);
}

void CGlyphosDocCore::PropertiesChanged() {
    KalvoFont& f = *m_pFont;
    const int first = f.GetFirstChar();
    m_FullRange = (first >= 1 && first <= 32 && f.GetLastChar() >= 122) ? 1 : 0;
    m_BytesPerRow = f.GetFontBytesPerRow();
    f.SetBytesPerRow(m_BytesPerRow);
    if (m_CurrentChar < first || m_CurrentChar > f.GetLastChar()) m_CurrentChar = first;
    // A new size is first shown at the largest pitch that fits.
    m_Display.SetMaxResolution(f);
}

// ---------------------------------------------------------------- paths

CGlyphosDocCore::PathKind CGlyphosDocCore::ClassifyPath(const CString& path) {
    const CString l = Lower(path);
    if (l.Find(L".psw") >= 0) return PathKind::Psw;
    if (l.Find(L".kfn") >= 0) return PathKind::Kfn;
    return PathKind::Unknown;
}

CString CGlyphosDocCore::ProposeSaveAsName(const CString& title, const CString& fontName) {
    CString name = title;
    if (Lower(name).Find(L".psw") >= 0) {
        const int dot = name.Find(L'.');
        if (dot >= 0) name = name.Left(dot);
    }
    if (name.Find(L')') < 0) name += fontName;
    if (Lower(name).Find(L".kfn") < 0) name += L".kfn";
    return name;
}

int CGlyphosDocCore::CheckSaveAsPath(const CString& path) {
    if (Lower(path).Find(L".psw") >= 0) {
        ShowError(L"Save as operation was possible if also the file extension is *.kfn .\nPlese repaet save as "
                  L"operation with just file extension !");
        return 0;
    }
    return CheckKfnPath(path);
}

int CGlyphosDocCore::CheckKfnPath(const CString& path) {
    if (Lower(path).Find(L".kfn") < 0) {
        ShowError(kBadExtension, MB_ICONSTOP);
        return 0;
    }
    return 1;
}

// ---------------------------------------------------------------- PSW files

bool CGlyphosDocCore::EnsureLog() {
    // A log that cannot be written has said so once, in its box, and the
    // document goes on without it: logging is never a reason to refuse work.
    if (m_pDebugObj) return true;
    char stamp[64] = {};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%H_%M_%S_%d_%m_%Y_", &local);
    const CString dir = m_LogDir.IsEmpty() ? CString() : WithTrailingSlash(m_LogDir);
    // Opening a log empties the file, and the file appears only with its
    // first line: a second document that opens its log in the same second
    // takes the next free number instead, free on disk and in this process.
    static std::set<std::wstring> given;
    CString name = CString::FromUtf8(stamp) + L".log";
    for (int n = 2; FileExists(dir + name) || given.count((dir + name).str()); ++n)
        name = CString::FromUtf8(stamp + std::to_string(n)) + L".log";
    given.insert((dir + name).str());
    m_pDebugObj = std::make_shared<CKalvoNewDebugObject>(nullptr, nullptr, dir, name, L"Glyphos", 1);
    m_pDebugObj->InitCKalvoNewDebugObject(nullptr, nullptr, dir, name, L"Glyphos", 1);
    return true;
}

void CGlyphosDocCore::ShareLog(const CGlyphosDocCore& other) {
    if (other.m_pDebugObj && other.m_pDebugObj->Get_m_bfDebugObjInit()) m_pDebugObj = other.m_pDebugObj;
}

void CGlyphosDocCore::Log(const CString& text) {
    if (m_pDebugObj) m_pDebugObj->MessageLog(text, kError, 1);
}

bool CGlyphosDocCore::LoadHeaders(const CString& path, std::unique_ptr<CHeaderPsw>& h1,
                                  std::unique_ptr<CHeaderPsw2>& h2) {
    const CString notLoaded = CString::Format(L"File %s\n not load!\nVerify the name or format file.", path);
    h2.reset();
    h1 = std::make_unique<CHeaderPsw>(m_pDebugObj.get());
    if (!h1->Init(path)) {
        ShowError(notLoaded, MB_ICONSTOP);
        return false;
    }
    if (h1->IsPSWII()) {
        h2 = std::make_unique<CHeaderPsw2>(m_pDebugObj.get());
        if (!h2->Init(path)) {
            ShowError(notLoaded, MB_ICONSTOP);
            return false;
        }
    }
    return true;
}

namespace {
// Step 1 of opening or saving: the file must open and hold something.
bool CheckPswFile(const CString& path, const PswImage& image) {
    if (!image.Opened()) {
        ShowError(CString::Format(kErrOpen, path));
        return true;  // the header load reports the rest
    }
    if (image.Size() == 0) {
        ShowError(CString::Format(L"The file %s is empty!", path));
        return false;
    }
    return true;
}

void FontLines(CHeaderPsw* h1, CHeaderPsw2* h2, std::vector<FontChoice>& out) {
    out.clear();
    if (h2) {
        auto* fonts = h2->Get_cHeaderFontPsw2();
        for (int i = 0; i < fonts->GetNumTotFont(); ++i) {
            const _headerFont2* r = fonts->GetIesimFontStruct(i);
            out.push_back({CString::Format(L"%d) Font %.2d x %.2d", i + 1, r->Width, r->Height), i + 1});
        }
    } else {
        auto* fonts = h1->Get_cHeaderFontPsw();
        for (int i = 0; i < fonts->GetNumTotFont(); ++i) {
            const _headerFont* r = fonts->GetIesimFontStruct(i);
            out.push_back({CString::Format(L"%d) Font %.2d x %.2d", i + 1, r->Width, r->Height), i + 1});
        }
    }
}

// File offset of font slot i (0-based) and the header size its position is
// counted from.
void SlotPosition(CHeaderPsw* h1, CHeaderPsw2* h2, int i, std::uint64_t& position, std::uint32_t& headerSize) {
    if (h2) {
        position = psw::FontDataOffset(*h2->Get_cHeaderFontPsw2()->GetIesimFontStruct(i));
        headerSize = h2->GetuiDimHeaderPsw2();
    } else {
        headerSize = h1->GetuiDimHeaderPsw();
        position = psw::FontDataOffset(*h1->Get_cHeaderFontPsw()->GetIesimFontStruct(i), headerSize);
    }
}
}  // namespace

int CGlyphosDocCore::ListPswFonts(const CString& path, std::vector<FontChoice>& out) {
    out.clear();
    const PswImageScope image(path);
    if (!CheckPswFile(path, image.Image()) || !EnsureLog()) return 0;
    std::unique_ptr<CHeaderPsw> h1;
    std::unique_ptr<CHeaderPsw2> h2;
    if (!LoadHeaders(path, h1, h2)) return 0;
    FontLines(h1.get(), h2.get(), out);
    return 1;
}

int CGlyphosDocCore::OpenFromPsw(const CString& path, IDocChoices& choices) {
    // The file is read once; the headers, the scramble byte and the font
    // all come from this image.
    const PswImageScope image(path);
    if (!CheckPswFile(path, image.Image()) || !EnsureLog()) return 0;
    if (!LoadHeaders(path, m_pHeaderPsw, m_pHeaderPsw2)) return 0;
    CHeaderPsw* h1 = m_pHeaderPsw.get();
    CHeaderPsw2* h2 = m_pHeaderPsw2.get();

    std::vector<FontChoice> lines;
    FontLines(h1, h2, lines);
    const int sel = choices.SelectFont(lines);
    if (sel < 0 || sel >= static_cast<int>(lines.size())) return 0;

    // The chosen entry's record becomes the document's.
    if (h2) {
        ApplyPropertyRecord(reinterpret_cast<const unsigned char*>(h2->Get_cHeaderFontPsw2()->GetIesimFontStruct(sel)),
                            1, lines[static_cast<std::size_t>(sel)].line);
    } else {
        ApplyPropertyRecord(reinterpret_cast<const unsigned char*>(h1->Get_cHeaderFontPsw()->GetIesimFontStruct(sel)),
                            0, lines[static_cast<std::size_t>(sel)].line);
    }
    KalvoFont& f = *m_pFont;
    std::uint64_t position = 0;
    std::uint32_t headerSize = 0;
    SlotPosition(h1, h2, sel, position, headerSize);
    const std::size_t blockSize = f.GetFontBlockSize();
    m_FontBlockPosition = static_cast<std::uint32_t>(position);
    m_FontBlockSize = static_cast<std::uint32_t>(blockSize);
    if (blockSize == 0) return 0;

    std::vector<unsigned char> block;
    try {
        block.assign(blockSize, 0);
    } catch (const std::bad_alloc&) {
        ShowError(L"No memory to load font file data.");
        return 0;
    }
    {
        const ByteSpan bytes = image.Image().Bytes();
        if (position > bytes.size() || !bytes.Has(static_cast<std::size_t>(position), blockSize)) {
            Log(CString::Format(kErrLoad, path));
            return 0;
        }
        std::copy_n(bytes.data() + position, blockSize, block.begin());
    }
    CConversioni conv;
    const CString printer = conv.CleanCString(h2 ? h2->GetPrinterName() : h1->GetNomestampante(), L" ");
    if (psw::FontBytePairsExchanged(printer, sel)) psw::ExchangeBytePairs(block);
    CCrittoPswFile crypt(path);
    if (!crypt.InitCCrittoPswFile(path)) return 0;
    if (position < headerSize) {
        Log(CString::Format(kErrLoad, path));
        return 0;
    }
    crypt.DeCrittoBufferFromPswFile(block.data(), static_cast<int>(position - headerSize), static_cast<int>(blockSize),
                                    crypt.Get_m_ScrByte());
    f.UnpackFontBlock(block.data(), block.size(), m_BytesPerRow, f.GetHeight(), f.GetMarginLeft(), f.GetMarginRight(),
                      f.GetFirstChar(), f.GetLastChar(), f.GetByteOrder());
    m_NewFont = 0;
    if (m_pObserver) {
        m_pObserver->RefreshPreview();
        m_pObserver->UpdateAllViews(0);
    }
    return 1;
}

namespace {
// Step 5 of saving: the slots of the file that hold a font of the document's
// shape, as list lines and as slot numbers.
void CompatibleSlots(const KalvoFont& f, CHeaderPsw* h1, CHeaderPsw2* h2, std::vector<FontChoice>& lines,
                     std::vector<int>& slots) {
    const FontShape mine = f.GetHeaderGeneration() ? FontShape::Of(f.GetHeaderFont2()) : FontShape::Of(f.GetHeaderFont());
    std::vector<FontChoice> all;
    FontLines(h1, h2, all);
    for (int i = 0; i < static_cast<int>(all.size()); ++i) {
        const FontShape theirs = h2 ? FontShape::Of(*h2->Get_cHeaderFontPsw2()->GetIesimFontStruct(i))
                                    : FontShape::Of(*h1->Get_cHeaderFontPsw()->GetIesimFontStruct(i));
        if (mine.SameFontAs(theirs)) {
            lines.push_back(all[static_cast<std::size_t>(i)]);
            slots.push_back(i);
        }
    }
}

// Step 9 of saving: the bank sums of a first-generation file, computed on
// the unscrambled contents. A PSW2 file has no such banks, so
// its bytes there are left as they are.
void UpdateBankSums(std::vector<unsigned char>& image, CHeaderPsw* h1, CHeaderPsw2* h2, std::uint32_t headerSize,
                    CCrittoPswFile& crypt, unsigned char scrByte) {
    if (h2 || image.size() < psw::kSumsOffset + psw::kSumsBytes || image.size() < headerSize) return;
    std::vector<unsigned char> plain(image.begin() + headerSize, image.end());
    crypt.DeCrittoBufferFromPswFile(plain.data(), 0, static_cast<int>(plain.size()), scrByte);
    CHeaderBinPsw* bin = h1->Get_cHeaderBinPsw();
    const std::uint64_t covered =
        std::min<std::uint64_t>(std::uint64_t{bin->GetuiNumBanchi()} * bin->GetuiDimBancoBin(), plain.size());
    psw::PutBankSums(image, psw::BankSums(plain.data(), covered));
}
}  // namespace

int CGlyphosDocCore::SaveIntoPsw(const CString& path, IDocChoices& choices) {
    m_SaveStop = SaveStop::None;
    m_WriteError.clear();
    // The file is read, changed and replaced under its lock: two writers at
    // once would each write back the file as they read it, and one font
    // would be lost.
    FileLock lock;
    if (!lock.Acquire(path, &m_WriteError)) {
        ShowError(CString::FromUtf8(m_WriteError));
        return 0;
    }
    // 1-2. The file is read once and holds something; the log is ready.
    // The headers, the scramble byte and the image written back all come
    // from this one reading.
    const PswImageScope scope(path);
    if (!CheckPswFile(path, scope.Image()) || !EnsureLog()) return 0;
    // 3-4. Its headers.
    if (!LoadHeaders(path, m_pHeaderPsw, m_pHeaderPsw2)) return 0;
    CHeaderPsw* h1 = m_pHeaderPsw.get();
    CHeaderPsw2* h2 = m_pHeaderPsw2.get();
    KalvoFont& f = *m_pFont;

    // 5. The slots that hold a font of the document's shape.
    std::vector<FontChoice> compatible;
    std::vector<int> slots;
    CompatibleSlots(f, h1, h2, compatible, slots);
    if (compatible.empty()) {
        ShowError(L"It's Impossible to replace the font in psw file selected.");
        m_SaveStop = SaveStop::NoSlot;
        return 0;
    }
    // 6. The user chooses one. The slot written is the compatible entry
    // itself, so its size is the document's whatever font numbers the file
    // carries.
    const int sel = choices.SelectFont(compatible);
    if (sel < 0 || sel >= static_cast<int>(compatible.size())) {
        m_SaveStop = SaveStop::Cancelled;
        return 0;
    }
    const int slot = slots[static_cast<std::size_t>(sel)];

    // 7. The font packed into a block of the slot's size.
    std::uint64_t position = 0;
    std::uint32_t headerSize = 0;
    SlotPosition(h1, h2, slot, position, headerSize);
    const std::size_t blockSize = f.GetFontBlockSize();
    std::vector<unsigned char> block;
    try {
        block.assign(blockSize, 0);
    } catch (const std::bad_alloc&) {
        ShowError(L"No memory to load font file data.");
        return 0;
    }
    f.PackFontBlock(block.data(), block.size(), m_BytesPerRow, f.GetHeight(), f.GetMarginLeft(), f.GetMarginRight(),
                    f.GetFirstChar(), f.GetLastChar(), f.GetByteOrder());

    CCrittoPswFile crypt(path);
    if (!crypt.InitCCrittoPswFile(m_pDebugObj.get())) return 0;
    const unsigned char s0 = crypt.Get_m_ScrByte();

    // 8. The block, scrambled with the file's byte, goes into an image of the
    // file in memory: the new file replaces the old one in one step, so a
    // failure anywhere leaves the user's file as it was.
    if (!scope.Image().Opened()) {
        Log(CString::Format(kErrOpen, path));
        return 0;
    }
    std::vector<unsigned char> image = scope.Image().Copy();
    if (position < headerSize || position + blockSize > image.size()) {
        Log(CString::Format(kErrLoad, path));
        return 0;
    }
    crypt.CrittoBufferFromPswFile(block.data(), static_cast<int>(position - headerSize), static_cast<int>(blockSize), s0);
    std::copy(block.begin(), block.end(), image.begin() + static_cast<std::ptrdiff_t>(position));

    // 9. The sums.
    UpdateBankSums(image, h1, h2, headerSize, crypt, s0);

    // 10. The whole file scrambled again with a new byte.
    PswScrambleInfo info;
    if (!crypt.ReadScrambleInfo(info) || !crypt.RescrambleImage(image, info, crypt.NewScrByte())) {
        Log(CString::Format(L"System error ! File %s damaged.", path));
        return 0;
    }
    // 11. Written in place of the old file.
    if (!WriteFileAtomically(path, image.data(), image.size(), &m_WriteError)) {
        Log(L"\n" + CString::FromUtf8(m_WriteError));
        return 0;
    }
    m_FontBlockPosition = static_cast<std::uint32_t>(position);
    m_FontBlockSize = static_cast<std::uint32_t>(blockSize);
    return 1;
}

// ---------------------------------------------------------------- navigation

bool CGlyphosDocCore::MoveTo(int ch) {
    if (m_pObserver) m_pObserver->RefreshPreview();
    m_CurrentChar = ch;
    if (m_pObserver) {
        m_pObserver->CurrentCharChanged(ch);
        m_pObserver->RefreshPreview();
    }
    m_RedrawHint = kHintCharChanged;
    if (m_pObserver) m_pObserver->UpdateAllViews(kHintCharChanged);
    return true;
}

bool CGlyphosDocCore::NextChar() {
    return m_CurrentChar < m_pFont->GetLastChar() && MoveTo(m_CurrentChar + 1);
}

bool CGlyphosDocCore::PrevChar() {
    return m_CurrentChar > m_pFont->GetFirstChar() && MoveTo(m_CurrentChar - 1);
}

bool CGlyphosDocCore::Back16() {
    const int to = m_CurrentChar - 16;
    return to >= 0 && to >= m_pFont->GetFirstChar() && MoveTo(to);
}

bool CGlyphosDocCore::Forward16() {
    const int to = m_CurrentChar + 16;
    return to <= m_pFont->GetLastChar() && MoveTo(to);
}

bool CGlyphosDocCore::FirstChar() { return MoveTo(m_pFont->GetFirstChar()); }

bool CGlyphosDocCore::LastChar() { return MoveTo(m_pFont->GetLastChar()); }

bool CGlyphosDocCore::GoToChar(int ch) {
    if (ch < m_pFont->GetFirstChar() || ch > m_pFont->GetLastChar() || ch == m_CurrentChar) return false;
    return MoveTo(ch);
}

#include "KalvoNewCfgFileObject.h"

#include "CfgTextReader.h"

#include <cwchar>
#include <filesystem>

namespace {

const wchar_t* const kCaptionData = L"Errore dati in file di configurazione";
const wchar_t* const kCaptionOpen = L"Errore apertura file di configurazione";
constexpr wchar_t kPound = L'\u00A3';  // "£", the byte 0xA3 of the file

struct SectionKeys {
    const wchar_t* begin;
    const wchar_t* end;
};

// Splits at any of the separators as a tokenizer does: runs of separators
// count as one and empty pieces are dropped.
std::vector<CString> Split(const CString& text, const std::wstring& separators) {
    std::vector<CString> pieces;
    std::wstring cur;
    for (const wchar_t c : text.str()) {
        if (separators.find(c) != std::wstring::npos) {
            if (!cur.empty()) pieces.emplace_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) pieces.emplace_back(cur);
    return pieces;
}

// "$name=value": the name, and everything after the first "=".
bool SplitNameValue(const CString& clean, CString& name, CString& value) {
    const std::wstring& s = clean.str();
    const std::size_t start = s.find_first_not_of(L'$');
    const std::size_t eq = s.find(L'=', start == std::wstring::npos ? 0 : start);
    if (start == std::wstring::npos || eq == std::wstring::npos || eq == start) return false;
    name = CString(s.substr(start, eq - start));
    name.Remove(L'$');
    value = CString(s.substr(eq + 1));
    return !name.IsEmpty();
}

// The value of a raw "$name = value" line as written: after the first "=",
// without line end and outer blanks.
CString RawValue(const CString& raw) {
    const std::wstring s = cfgtext::WithoutLineEnd(raw).str();
    const std::size_t eq = s.find(L'=');
    if (eq == std::wstring::npos) return CString();
    const std::size_t first = s.find_first_not_of(L" \t", eq + 1);
    if (first == std::wstring::npos) return CString();
    const std::size_t last = s.find_last_not_of(L" \t");
    return CString(s.substr(first, last - first + 1));
}

}  // namespace

CKalvoNewCfgFileObject::CKalvoNewCfgFileObject() = default;

CKalvoNewCfgFileObject::~CKalvoNewCfgFileObject() {
    FreeFilesPrinters();
    FreeOptionPrinters();
    FreeCommandPrinters();
    FreeDefaultConfig();
}

BOOL CKalvoNewCfgFileObject::InitCKalvoNewCfgFileObject(HWND hMainWnd, void* pMainFrame, const CString& folder,
                                                        const CString& logFileName, const CString& portName,
                                                        int debugMode, const CString& cfgFileName,
                                                        UINT uiHwHandshake) {
    m_strFolder = folder.IsEmpty() ? folder : WithTrailingSlash(folder);
    m_strCfgFile = cfgFileName;
    m_strPathCfg = m_strFolder + m_strCfgFile;
    if (!InitKalvoNewComObject(hMainWnd, pMainFrame, m_strFolder, logFileName, portName, debugMode, uiHwHandshake))
        return FALSE;
    return LoadPublicCfgFile();
}

BOOL CKalvoNewCfgFileObject::LoadPublicCfgFile() {
    MYThrow(!m_strPathCfg.IsEmpty(), L"LoadPublicCfgFile()", L"CKalvoNewCfgFileObject", L"KalvoNewCfgFileObject");
    m_fCfgLoaded = LoadCfgFile(m_strPathCfg);
    return m_fCfgLoaded;
}

BOOL CKalvoNewCfgFileObject::LoadCfgFile(const CString& path) {
    std::string why;
    if (!OpenCfgText(path, why)) {
        m_pDebugObj->MessageLog(CString::Format(L"\nFile di configurazione: %s non aperto. Impossibile caricare "
                                                L"dati di configurazione stampante.",
                                                path) +
                                    cfgtext::Reason(why),
                                kCaptionOpen, 1);
        return FALSE;
    }
    m_pFileCfg.reset();
    FreeFilesPrinters();
    FreeOptionPrinters();
    FreeCommandPrinters();
    FreeDefaultConfig();
    return LoadFileInfo(path) && LoadOptionInfo(path) && LoadCommandInfo(path) && LoadDefaultConfigInfo(path);
}

BOOL CKalvoNewCfgFileObject::LoadFileInfo(const CString& path) { return LoadSection(path, Section::Files); }
BOOL CKalvoNewCfgFileObject::LoadOptionInfo(const CString& path) { return LoadSection(path, Section::Options); }
BOOL CKalvoNewCfgFileObject::LoadCommandInfo(const CString& path) { return LoadSection(path, Section::Commands); }
BOOL CKalvoNewCfgFileObject::LoadDefaultConfigInfo(const CString& path) {
    return LoadSection(path, Section::DefaultConfig);
}

BOOL CKalvoNewCfgFileObject::GetFileInfo(const CString& path) { return ReadSection(path, Section::Files); }
BOOL CKalvoNewCfgFileObject::GetOptionInfo(const CString& path) { return ReadSection(path, Section::Options); }
BOOL CKalvoNewCfgFileObject::GetCommandInfo(const CString& path) { return ReadSection(path, Section::Commands); }
BOOL CKalvoNewCfgFileObject::GetDefaultConfigInfo(const CString& path) {
    return ReadSection(path, Section::DefaultConfig);
}

namespace {
SectionKeys KeysOf(int section) {
    static constexpr SectionKeys keys[] = {{L"BeginFile", L"EndFile"},
                                           {L"BeginOption", L"EndOption"},
                                           {L"BeginCommand", L"EndCommand"},
                                           {L"BeginDefaultConfig", L"EndDefaultConfig"}};
    return keys[section];
}
}  // namespace

BOOL CKalvoNewCfgFileObject::LoadSection(const CString& path, Section section) {
    const SectionKeys keys = KeysOf(static_cast<int>(section));
    std::string why;
    if (!OpenCfgText(path, why)) {
        m_pDebugObj->MessageLog(CString::Format(L"\nFile di configurazione: %s non aperto. Impossibile caricare "
                                                L"dati di configurazione stampante.",
                                                path) +
                                    cfgtext::Reason(why),
                                kCaptionOpen, 1);
        return FALSE;
    }
    auto missing = [&](const wchar_t* keyword) {
        m_pDebugObj->MessageLog(CString::Format(L"\nDati errati in file di configurazione: %s. Non trovato parola "
                                                L"chiave %s. Impossibile caricare dati di configurazione stampante.",
                                                path, keyword),
                                kCaptionData, 1);
        m_pFileCfg.reset();
        return FALSE;
    };
    if (!SerchKeyWordInFile(path, keys.begin)) return missing(keys.begin);
    if (!ReadSection(path, section)) return missing(keys.end);
    m_pFileCfg.reset();
    // The dumps are for whoever debugs a model's file; the tables are loaded
    // whether or not they could be written.
    switch (section) {
        case Section::Options: DebugOptionInfo(); break;
        case Section::Commands: DebugCommandInfo(); break;
        case Section::DefaultConfig: DebugDefaultConfigInfo(); break;
        case Section::Files: break;
    }
    return TRUE;
}

bool CKalvoNewCfgFileObject::OpenCfgText(const CString& path, std::string& why) {
    auto file = std::make_unique<CfgTextFile>();
    if (!cfgtext::Load(path, file->bytes, why)) return false;
    m_pFileCfg = std::move(file);
    return true;
}

bool CKalvoNewCfgFileObject::ReadCfgLine(CString& line) {
    return m_pFileCfg && cfgtext::ReadLine(m_pFileCfg->bytes, m_pFileCfg->pos, kMaxLineChars, line);
}

BOOL CKalvoNewCfgFileObject::SerchKeyWordInStr(const CString& text, const CString& keyword) {
    CString t = text;
    if (t.GetLength() > 0 && t[0] == L'#') t = t.Mid(1);
    const int hash = t.Find(L'#');
    if (hash >= 0) t = t.Left(hash);
    return cfgtext::Contains(t, keyword) ? TRUE : FALSE;
}

BOOL CKalvoNewCfgFileObject::SerchKeyWordInFile(const CString& /*path*/, const CString& keyword) {
    CString line;
    while (ReadCfgLine(line)) {
        if (SerchKeyWordInStr(line, keyword)) return TRUE;
    }
    return FALSE;
}

BOOL CKalvoNewCfgFileObject::ReadSection(const CString& path, Section section) {
    const SectionKeys keys = KeysOf(static_cast<int>(section));
    CString raw;
    for (int n = 0; n < kMaxSectionLines && ReadCfgLine(raw); ++n) {
        if (raw.IsEmpty() || (raw[0] != L'#' && raw[0] != L'$')) continue;
        const CString clean = cfgtext::Clean(raw);
        // "#" lines carry keywords and remarks, never entries; an entry whose
        // text happens to hold the end keyword ("$SendCommand", "$Legend")
        // is an entry like any other.
        if (clean[0] != L'$') {
            if (cfgtext::Contains(clean, keys.end)) return TRUE;
            continue;
        }
        switch (section) {
            case Section::Files: {
                // File names may hold blanks ("my manual.pdf"): only the name
                // is cleaned, the value loses just its outer blanks.
                CString name, value;
                if (SplitNameValue(clean, name, value)) NewFilesPrinters(name, m_strFolder + RawValue(raw));
                break;
            }
            case Section::Options:
                if (!ReadOptionEntry(clean, raw, path)) return FALSE;
                break;
            case Section::Commands: ReadCommandEntry(clean, false); break;
            case Section::DefaultConfig: ReadCommandEntry(clean, true); break;
        }
    }
    return FALSE;
}

BOOL CKalvoNewCfgFileObject::ReadOptionEntry(const CString& clean, const CString& raw, const CString& path) {
    CString name, value;
    if (!SplitNameValue(clean, name, value)) return TRUE;
    static const wchar_t* const numeric[] = {L"Rxbufdim", L"Dot/line", L"Char/line", L"GSImodel", L"GSIrelease"};
    for (const wchar_t* n : numeric) {
        if (name.Upper() == CString(n).Upper()) {
            // Stored under the one spelling the look-ups ask for, so that
            // "$RXBUFDIM=2048" is found as "Rxbufdim".
            NewOptionPrinters(n, L'Y', static_cast<DWORD>(cfgtext::Decimal(value)));
            return TRUE;
        }
    }
    switch (value.IsEmpty() ? L'\0' : value[0]) {
        case L'N': case L'n': case L'A': case L'a':
            NewOptionPrinters(name, L'N', 0);
            return TRUE;
        case L'Y': case L'y': case L'S': case L's': case L'P': case L'p':
            NewOptionPrinters(name, L'Y', 0);
            return TRUE;
        case L'O': case L'o': {
            // The question keeps its blanks: it comes from the line as written.
            CString text;
            const int first = raw.Find(L'^');
            if (first >= 0) {
                text = raw.Mid(first + 1);
                const int second = text.Find(L'^');
                if (second >= 0) text = text.Left(second);
                text = cfgtext::WithoutLineEnd(text);
            }
            NewOptionPrinters(name, L'O', 0, text);
            return TRUE;
        }
        default:
            m_pDebugObj->MessageLog(CString::Format(L"\nErrore case default !! Dati errati in file di "
                                                    L"configurazione: %s. Non trovato valore opzione %s = %s.",
                                                    path, name, value),
                                    kCaptionData, 1);
            return FALSE;
    }
}

BOOL CKalvoNewCfgFileObject::ReadCommandEntry(const CString& clean, bool defaultConfig) {
    const auto pieces = Split(clean, std::wstring(L"$&%") + kPound);
    if (pieces.size() < 4) return FALSE;
    const long long count = cfgtext::Decimal(pieces[1]);
    if (count <= 0) return FALSE;
    if (count > static_cast<long long>(CfgCommandEntry::kMaxBytes)) {
        m_pDebugObj->MessageLog(L"Il comando: " + pieces[0] + L" è costituito da un numero di bytes troppo grande.",
                                L"Impossibile caricare il comando", 1);
        return FALSE;
    }
    const long long replies = cfgtext::Decimal(pieces[2]);
    BYTE bytes[CfgCommandEntry::kMaxBytes] = {};
    CommandExToUchar(pieces[3], bytes, static_cast<int>(count));
    const DWORD numReply = replies < 0 ? 0 : static_cast<DWORD>(std::min<long long>(replies, 0x7FFFFFFF));
    return defaultConfig ? NewDefaultConfig(pieces[0], static_cast<DWORD>(count), numReply, bytes)
                         : NewCommandPrinters(pieces[0], static_cast<DWORD>(count), numReply, bytes);
}

int CKalvoNewCfgFileObject::CommandExToUchar(const CString& text, BYTE* out, int maxCount) {
    int n = 0;
    for (const CString& piece : Split(text, L",")) {
        if (n >= maxCount) break;
        out[n++] = static_cast<BYTE>(std::wcstoul(piece.c_str(), nullptr, 16) & 0xFF);
    }
    return n;
}

BOOL CKalvoNewCfgFileObject::NewFilesPrinters(const CString& name, const CString& path) {
    m_arrFiles.push_back(std::make_unique<CfgFileEntry>(CfgFileEntry{name, path}));
    return TRUE;
}

BOOL CKalvoNewCfgFileObject::NewOptionPrinters(const CString& name, wchar_t state, DWORD value) {
    return NewOptionPrinters(name, state, value, CString());
}

BOOL CKalvoNewCfgFileObject::NewOptionPrinters(const CString& name, wchar_t state, DWORD value,
                                               const CString& text) {
    m_arrOptions.push_back(std::make_unique<CfgOptionEntry>(CfgOptionEntry{name, state, value, text}));
    return TRUE;
}

namespace {
std::unique_ptr<CfgCommandEntry> MakeCommand(const CString& name, DWORD numByte, DWORD numReply, const BYTE* bytes) {
    auto e = std::make_unique<CfgCommandEntry>();
    e->name = name;
    e->numByte = std::min(numByte, CfgCommandEntry::kMaxBytes);
    e->numReply = numReply;
    if (bytes) std::copy(bytes, bytes + e->numByte, e->command);
    return e;
}
}  // namespace

BOOL CKalvoNewCfgFileObject::NewCommandPrinters(const CString& name, DWORD numByte, DWORD numReply,
                                                const BYTE* bytes) {
    m_arrCommands.push_back(MakeCommand(name, numByte, numReply, bytes));
    return TRUE;
}

BOOL CKalvoNewCfgFileObject::NewDefaultConfig(const CString& name, DWORD numByte, DWORD numReply,
                                              const BYTE* bytes) {
    m_arrDefConfig.push_back(MakeCommand(name, numByte, numReply, bytes));
    return TRUE;
}

void CKalvoNewCfgFileObject::FreeFilesPrinters() { m_arrFiles.clear(); }
void CKalvoNewCfgFileObject::FreeOptionPrinters() { m_arrOptions.clear(); }
void CKalvoNewCfgFileObject::FreeCommandPrinters() { m_arrCommands.clear(); }
void CKalvoNewCfgFileObject::FreeDefaultConfig() { m_arrDefConfig.clear(); }

void CKalvoNewCfgFileObject::ReportMissing(const CString& name, const CString& caption, const wchar_t* gap) {
    m_pDebugObj->MessageLog(L"\nImposibile trovare parola chiave:" + name + gap +
                                L"verificare integrità file di configurazione: " + m_strPathCfg,
                            caption, 1);
}

BOOL CKalvoNewCfgFileObject::GetFilePrintersToTest(const CString& name, CString* path) {
    for (const auto& e : m_arrFiles) {
        if (e->name == name) {
            if (path) *path = e->path;
            return TRUE;
        }
    }
    ReportMissing(name, L"GetFilePrintersToTest()", L"\t");
    if (path) path->Empty();
    return FALSE;
}

BOOL CKalvoNewCfgFileObject::GetOptionPrintersToTest(const CString& name, DWORD* value) {
    for (const auto& e : m_arrOptions) {
        if (e->name == name) {
            if (value) *value = e->value;
            return TRUE;
        }
    }
    ReportMissing(name, L"GetOptionPrintersToTest()", L" ");
    if (value) *value = 0xFFFFFFFFu;
    return FALSE;
}

BOOL CKalvoNewCfgFileObject::GetOptionPrintersToTest(const CString& /*name*/, int* /*present*/) { return TRUE; }

BOOL CKalvoNewCfgFileObject::GetOptionPrintersToTest(const CString& name, char* state, DWORD* value) {
    for (const auto& e : m_arrOptions) {
        if (e->name == name) {
            if (state) *state = static_cast<char>(e->state);
            if (value) *value = e->value;
            return TRUE;
        }
    }
    ReportMissing(name, L"GetOptionPrintersToTest()", L" ");
    if (state) *state = 0;
    if (value) *value = 0;
    return FALSE;
}

BOOL CKalvoNewCfgFileObject::GetCommandPrintersToTest(const CString& name, BYTE* bytes, DWORD* numByte,
                                                      DWORD* numReply) {
    for (const auto& e : m_arrCommands) {
        if (e->name == name) {
            if (bytes) std::copy(e->command, e->command + e->numByte, bytes);
            if (numByte) *numByte = e->numByte;
            if (numReply) *numReply = e->numReply;
            return TRUE;
        }
    }
    ReportMissing(name, L"GetCommandPrintersToTest()", L" ");
    if (bytes) std::fill(bytes, bytes + CfgCommandEntry::kMaxBytes, BYTE{0});
    if (numByte) *numByte = 0;
    if (numReply) *numReply = 0;
    return FALSE;
}

BOOL CKalvoNewCfgFileObject::GetCommandDefConfigPrn(const CString& name, DWORD* index, BYTE* bytes,
                                                    DWORD* numByte, DWORD* numReply) {
    const std::size_t start = index ? *index : 0;
    for (std::size_t i = start; i < m_arrDefConfig.size(); ++i) {
        const auto& e = m_arrDefConfig[i];
        if (e->name != name) continue;
        if (bytes) std::copy(e->command, e->command + e->numByte, bytes);
        if (numByte) *numByte = e->numByte;
        if (numReply) *numReply = e->numReply;
        if (index) *index = static_cast<DWORD>(i);
        return TRUE;
    }
    if (numByte) *numByte = 0;
    if (numReply) *numReply = 0;
    if (index) *index = 0;
    return FALSE;
}

BOOL CKalvoNewCfgFileObject::WriteDump(const CString& file, const std::string& text, const CString& message,
                                       const CString& caption) {
    const CString path = m_strFolder + L"DebugFile/" + file;
    // The dump folder belongs to the working folder; made on first use so
    // that a fresh folder does not greet every load with three boxes.
    std::error_code ec;
    std::filesystem::create_directories(ToPath(m_strFolder + L"DebugFile"), ec);
    BinaryFile f;
    if (!f.Open(path, BinaryFile::Mode::Create) || f.Write(text.data(), text.size()) != text.size()) {
        m_pDebugObj->MessageLog(CString::Format(message.c_str(), path), caption, 1);
        return FALSE;
    }
    return TRUE;
}

BOOL CKalvoNewCfgFileObject::DebugOptionInfo() {
    std::string text;
    for (const auto& e : m_arrOptions)
        text += CString::Format(L"\n$%s = %c oppure %d ed opzionale %s", e->name, e->state, e->value, e->text)
                    .ToBytes();
    return WriteDump(L"DebugOptPrnInf.dbg", text,
                     L"\nFile di debug per stampante: %s non aperto. Scrittura del file di debug fallita; i dati "
                     L"di configurazione sono caricati.",
                     L"Errore apertura file di debug per stampante");
}

BOOL CKalvoNewCfgFileObject::WriteCommandDump(const std::vector<std::unique_ptr<CfgCommandEntry>>& table,
                                              const wchar_t* file) {
    std::string text;
    for (const auto& e : table)
        text += CString::Format(L"\n$%s  num. byte comando:%d num. byte resi: %d comando: %s", e->name, e->numByte,
                                e->numReply, CString::FromBytes(e->command, e->numByte))
                    .ToBytes();
    return WriteDump(file, text,
                     L"\nFile di debug per OptionInfo: %s non aperto. Scrittura del file di debug fallita; i dati "
                     L"di configurazione sono caricati.",
                     kCaptionOpen);
}

BOOL CKalvoNewCfgFileObject::DebugCommandInfo() { return WriteCommandDump(m_arrCommands, L"DebugCommandInf.dbg"); }

BOOL CKalvoNewCfgFileObject::DebugDefaultConfigInfo() {
    return WriteCommandDump(m_arrDefConfig, L"DebugDefConfigInf.dbg");
}

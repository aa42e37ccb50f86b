// A simple key and value file for the production tools: "$key=value" lines
// between a begin and an end marker line, single-byte text.
#pragma once

#include "Conversioni.h"

#include <memory>
#include <vector>

struct OSTREL_API InfoFileEntry {
    CString key;
    CString value;
};

class OSTREL_API CLoadInfoFile : public CConversioni {
public:
    static constexpr int kMaxLineChars = 349;
    static constexpr int kMaxLines = 350;

    CLoadInfoFile();
    ~CLoadInfoFile() override;

    // The file is folder/fileName.
    void InitInfoFile(const CString& folder, const CString& fileName, const CString& beginMarker,
                      const CString& endMarker);
    BOOL LoadInfoFile();
    // The value of the first entry whose key is the label, exactly.
    BOOL GetInfoLoadFromFile(const CString& label, CString* value);

    BOOL Get_m_fLoaded() const { return m_fLoaded; }

protected:
    CString m_strFolder;
    CString m_strFileName;
    CString m_strPath;
    CString m_strBeginMarker;
    CString m_strEndMarker;
    std::vector<std::unique_ptr<InfoFileEntry>> m_pCeInfoArray;
    BOOL m_fLoaded = FALSE;
};

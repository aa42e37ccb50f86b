// glyphos-cli export c|asm IN.kfn OUT --items N [--size byte|word|dword]
//   [--comment star|semicolon] [--dialect default|mcuez] [--note TEXT]:
// a font file as a C or assembler source table, through the editor's own
// generator with the defaults of its dialog.
#include <climits>

#include "CliDocument.h"
#include "TableGenerator.h"
#include "UiServices.h"

namespace {

// While the generator runs, its boxes are kept instead of printed: a
// refusal becomes the command's one error line and the success box, which
// the dialog needs and a command line does not, is dropped.
class GeneratorBoxes : public UiServices {
public:
    GeneratorBoxes() : m_previous(UiServices::Install(this)) {}
    ~GeneratorBoxes() override { UiServices::Install(m_previous); }
    GeneratorBoxes(const GeneratorBoxes&) = delete;
    GeneratorBoxes& operator=(const GeneratorBoxes&) = delete;

    int MessageBox(HWND, const CString& text, const CString&, UINT style) override {
        if ((style & MB_ICONMASK) == MB_ICONSTOP) m_error = text;
        return DefaultButton(style);
    }
    int AssertionDialog(const CString& check, const CString& className, const CString& sourceFile) override {
        return m_previous ? m_previous->AssertionDialog(check, className, sourceFile) : IDOK;
    }
    const CString& Error() const { return m_error; }

private:
    UiServices* m_previous;
    CString m_error;
};

// The position of `value` among `names`; CliUsageError when it is none.
int Choose(const CliArgs& a, const std::string& option, std::initializer_list<const char*> names, int fallback) {
    const auto value = a.Value(option);
    if (!value) return fallback;
    int i = 0;
    std::string list;
    for (const char* name : names) {
        if (*value == name) return i;
        if (i) list += '|';
        list += name;
        ++i;
    }
    throw CliUsageError("option " + option + " takes " + list + ", not \"" + *value + "\"");
}

}  // namespace

int CliExport(const std::vector<std::string>& args) {
    const CliArgs a(args, {}, {"--items", "--size", "--comment", "--dialect", "--note"});
    a.ExpectPositional(3, 3);
    const std::string& kind = a.Positional()[0];
    const std::string& kfn = a.Positional()[1];
    const std::string& out = a.Positional()[2];
    if (kind != "c" && kind != "asm") throw CliUsageError("the table kind is c or asm, not \"" + kind + "\"");
    const bool cTable = kind == "c";

    TableSettings s;
    s.fileName = CliPath(out);
    s.cMode = cTable ? 1 : 0;
    // Any whole number: a count below 1 is refused by the generator itself.
    const auto items = a.IntValue("--items", INT_MIN, INT_MAX);
    if (!items) throw CliUsageError("--items N is required: the items on each data line");
    s.itemsPerLine = static_cast<int>(*items);
    s.dataSize = 1 + Choose(a, "--size", {"byte", "word", "dword"}, 0);
    if (!cTable && s.dataSize == 3) throw CliUsageError("the assembler table takes byte or word items only");
    if (cTable && (a.Has("--comment") || a.Has("--dialect"))) {
        throw CliUsageError("--comment and --dialect apply to the assembler table only");
    }
    s.commentType = Choose(a, "--comment", {"star", "semicolon"}, 0);
    s.dialect = Choose(a, "--dialect", {"default", "mcuez"}, 0) == 0 ? 1 : 0;
    if (const auto note = a.Value("--note")) {
        s.note = CString::FromUtf8(*note);
        if (s.note.GetLength() > TableGenerator::kMaxNote) {
            throw CliUsageError("the note holds at most " + std::to_string(TableGenerator::kMaxNote) + " characters");
        }
    }

    CGlyphosDocCore doc;
    if (!doc.LoadKfnFile(CliPath(kfn))) throw CliFailure("cannot read the font file " + kfn + SystemReason(kfn));
    s.fontName = doc.GetFont().GetFontName();

    GeneratorBoxes boxes;
    TableGenerator generator(doc.GetFont(), doc.GetBytesPerRow());
    if (!generator.Generate(s)) {
        std::string error = boxes.Error().ToUtf8();
        // One line: the box's text and, below it, the reason.
        for (std::size_t at = error.find('\n'); at != std::string::npos; at = error.find('\n', at))
            error.replace(at, 1, "; ");
        throw CliFailure(error.empty() ? "no table was written to " + out : error);
    }
    return kExitOk;
}

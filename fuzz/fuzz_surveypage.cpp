// Feeds arbitrary text through the whole markup-to-page translation: as the
// question text, and split across the other fields that reach the page.
#include "surveypage.h"

#include <cstddef>
#include <cstdint>

namespace {

class CheckingOutput : public Velmora::PageOutput {
public:
    bool write(int label, const Velmora::PageLine &line) override {
        if (label < 124 || label > 230)
            __builtin_trap(); // every page line belongs to a writing step
        bytes += line.bytes().size();
        return true;
    }
    void fault(int label, const QString &, qsizetype, QStringView) override {
        if (label != 176 && label != 180 && label != 190 && label != 212)
            __builtin_trap();
    }
    qsizetype bytes = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    Velmora::SurveyFields fields;
    fields.surveyQuestions = text;
    const qsizetype third = text.size() / 3;
    fields.pageTitle = text.left(third);
    fields.name = text.mid(third, third);
    fields.message = text.mid(2 * third);
    fields.email = text.right(7);

    CheckingOutput output;
    const bool written = Velmora::writeSurveyPage(output, fields, text.left(5), [] {
        return QDateTime(QDate(2021, 8, 31), QTime(14, 3, 27));
    });
    if (!written || output.bytes == 0)
        __builtin_trap();
    return 0;
}

// The collector's translations, loaded once, and the choice among them.
#include "language.h"

#include <QHash>
#include <QTranslator>

#include <algorithm>
#include <mutex>

namespace Velmora {

namespace {

QString primarySubtag(const QString &tag) {
    return tag.section(QLatin1Char('-'), 0, 0).toLower();
}

// Each translation is read from the program's resources once, and shared
// by every request (QTranslator::translate only reads).
std::shared_ptr<const QTranslator> translationInto(const QString &primary) {
    static std::mutex mutex;
    static QHash<QString, std::shared_ptr<const QTranslator>> loaded;
    std::lock_guard lock(mutex);
    if (const auto it = loaded.constFind(primary); it != loaded.cend())
        return *it;
    auto translator = std::make_shared<QTranslator>();
    std::shared_ptr<const QTranslator> found;
    if (translator->load(
            QStringLiteral(":/velmora-collect/i18n/velmora-collect_%1.qm").arg(primary)))
        found = std::move(translator);
    loaded.insert(primary, found);
    return found;
}

} // namespace

Language::Language(const QString &tag)
    : m_tag(tag)
    , m_translator(translationInto(primarySubtag(tag))) {
    if (!m_translator) {
        m_tag = QStringLiteral("en");
        m_translator = translationInto(m_tag);
    }
    m_locale = QLocale(m_tag);
}

bool Language::isIn(const QString &tag) const {
    return primarySubtag(m_tag) == primarySubtag(tag);
}

QString Language::attributes() const {
    return QStringLiteral(" lang=\"%1\" dir=\"%2\"")
        .arg(m_tag, isRightToLeft() ? QStringLiteral("rtl") : QStringLiteral("ltr"));
}

QString Language::tr(const char *source, const char *disambiguation, int n) const {
    QString text =
        m_translator ? m_translator->translate("Velmora", source, disambiguation, n) : QString();
    if (text.isEmpty())
        text = QString::fromUtf8(source);
    if (n >= 0)
        text.replace(QLatin1String("%n"), m_locale.toString(n));
    return text;
}

const QStringList &Language::translated() {
    static const QStringList languages{QStringLiteral("en"), QStringLiteral("ar"),
                                       QStringLiteral("de"), QStringLiteral("es"),
                                       QStringLiteral("fr"), QStringLiteral("it")};
    return languages;
}

Languages::Languages(const QString &survey, const QStringList &offered) {
    m_languages.append(Language(survey));
    m_given.append(survey);
    const QStringList wanted =
        offered.contains(QStringLiteral("*")) ? Language::translated() : offered;
    for (const QString &tag : wanted)
        if (!m_given.contains(tag, Qt::CaseInsensitive)) {
            m_languages.append(Language(tag));
            m_given.append(tag);
        }
}

// "de-AT,de;q=0.9,en;q=0.5": the ranges by their weight, the first of equal
// weights first; a range matches a language of its own first subtag, so that
// "de-AT" gets the German offered as "de" and "de" the "de-CH".
const Language &Languages::forRespondent(const QByteArray &acceptLanguage) const {
    if (m_languages.size() == 1 || acceptLanguage.isEmpty())
        return survey();
    struct Range {
        QString tag;
        double weight;
    };
    QList<Range> ranges;
    for (const QByteArray &part : acceptLanguage.split(',').mid(0, 32)) {
        const QList<QByteArray> pieces = part.split(';');
        Range range{QString::fromLatin1(pieces.front().trimmed()), 1.0};
        for (const QByteArray &parameter : pieces.mid(1)) {
            const QByteArray trimmed = parameter.trimmed();
            if (trimmed.startsWith("q=")) {
                bool ok = false;
                range.weight = trimmed.mid(2).toDouble(&ok);
                if (!ok)
                    range.weight = 0;
            }
        }
        if (range.weight > 0 && !range.tag.isEmpty() && range.tag != QLatin1String("*"))
            ranges.append(range);
    }
    std::stable_sort(ranges.begin(), ranges.end(),
                     [](const Range &a, const Range &b) { return a.weight > b.weight; });
    for (const Range &range : ranges) {
        for (qsizetype i = 0; i < m_given.size(); ++i)
            if (m_given[i].compare(range.tag, Qt::CaseInsensitive) == 0)
                return m_languages[i];
        for (qsizetype i = 0; i < m_given.size(); ++i)
            if (primarySubtag(m_given[i]) == primarySubtag(range.tag))
                return m_languages[i];
    }
    return survey();
}

} // namespace Velmora

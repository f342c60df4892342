#pragma once

// The collector's own words in the languages it is translated into, and the
// choice of one of them for each respondent.
#include <QByteArray>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <memory>

class QTranslator;

namespace Velmora {

// A language the collector's pages are in: its words, its numbers and dates,
// and how a page of it is declared (lang, and dir for right-to-left scripts).
//
// Texts are written in English where they are used, as `words.tr("...")` in
// free functions of namespace Velmora, so that lupdate files them all under
// one context; the translations are built into the program by lrelease.
class Language {
public:
    // `tag` as the organiser or the browser gave it ("de-CH"): its translation
    // by its first subtag, English where there is none.
    explicit Language(const QString &tag = QStringLiteral("en"));

    // The language the words are in ("de-CH", or "en" where `tag` has no
    // translation): what a page of them declares.
    const QString &tag() const { return m_tag; }
    bool isRightToLeft() const { return m_locale.textDirection() == Qt::RightToLeft; }
    // ` lang="ar" dir="rtl"`: the attributes of an element holding these words.
    QString attributes() const;
    // `source`, English, in this language, told apart from the same words
    // meaning otherwise by `disambiguation`; `%n` in it becomes `n`, in the
    // plural form the language gives `n` (the signature lupdate reads).
    QString tr(const char *source, const char *disambiguation = nullptr, int n = -1) const;
    const QLocale &locale() const { return m_locale; }
    // Whether these words are in the language `tag` names ("de-CH": German).
    bool isIn(const QString &tag) const;
    // A count or a time for people of this language.
    QString number(qint64 n) const { return m_locale.toString(n); }

    // The languages there are translations into, English first.
    static const QStringList &translated();

private:
    QString m_tag;
    QLocale m_locale;
    std::shared_ptr<const QTranslator> m_translator;
};

// The languages the collector's pages may be in for respondents: the surveys'
// own (the organiser's) and those the organiser offers besides, of which each
// respondent's browser picks.
class Languages {
public:
    // `offered` empty: the survey's language only. "*" in it: every translation.
    explicit Languages(const QString &survey = QStringLiteral("en"),
                       const QStringList &offered = {});

    // The organiser's language: the pages they read, and the words the
    // collector adds to a survey page.
    const Language &survey() const { return m_languages.front(); }
    // The surveys' language as the organiser gave it: what survey pages declare.
    const QString &surveyTag() const { return m_given.front(); }
    // The offered language the browser's Accept-Language ranks highest, or
    // the survey's where it ranks none of them.
    const Language &forRespondent(const QByteArray &acceptLanguage) const;
    // Whether respondents may get more than one (their replies then vary with
    // Accept-Language).
    bool several() const { return m_languages.size() > 1; }

private:
    QList<Language> m_languages; // the survey's first
    QStringList m_given;         // their tags as given, which browsers' match
};

} // namespace Velmora

#pragma once

// Reading Velmora's survey page files.
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace Velmora {

// One answer input of a survey page, in the words the page shows around it.
struct SurveyInput {
    enum class Kind { Radio, CheckBox, TextBox, TextArea };
    Kind kind = Kind::TextBox;
    QString name;     // what the form posts it under
    QString value;    // what a radio button posts
    QString label;    // the text after an option
    QString question; // "2) Would you use this product again?", or empty before any question
    bool operator==(const SurveyInput &) const = default;
};

// What a Velmora survey page asks and posts.
struct SurveyPage {
    QString title;
    QString background; // the picture's file name as the page names it
    QString stamp;      // the submit button's name: when the page was made
    QString name;       // what the name and e-mail inputs hold when the page opens
    QString email;
    QStringList message; // the closing message, a paragraph an item
    QList<SurveyInput> inputs;
};

// Reads a page that "Start Creating Survey" wrote; nothing for any other file.
// Only the lines of that fixed format are looked at, so any HTML a person typed
// into a question stays text here.
std::optional<SurveyPage> readSurveyPage(QByteArrayView bytes);

// Whether the first bytes of a file can start such a page: a cheap test before
// reading it whole.
bool maybeSurveyPage(QByteArrayView head);

} // namespace Velmora

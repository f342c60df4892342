#pragma once

#include "surveyfields.h"

#include <QByteArray>
#include <QStringList>

// The product survey the help pages walk through, and the page it must give when
// made at 14:03:27 on 31 August 2021 with the picture background.gif.
namespace WorkedExample {

inline QString questions() {
    return QStringList{
        QStringLiteral("[1] What product did you test?"),
        QStringLiteral("[s]"),
        QString(),
        QStringLiteral("[2] Would you use this product again?"),
        QStringLiteral("[r] a) Yes"),
        QStringLiteral("[r] b) No"),
        QStringLiteral("[r] b) Maybe"),
        QString(),
        QStringLiteral("[3] How would you rate the quality of the product?"),
        QStringLiteral("[c] a) Good"),
        QStringLiteral("[c] b) Average"),
        QStringLiteral("[c] a) Poor"),
        QString(),
        QStringLiteral("[4] Are there any additional comments that you would like to make "
                       "about the product?"),
        QStringLiteral("[l]"),
    }
        .join(QStringLiteral("\r\n"));
}

inline QString message() {
    return QStringLiteral("Complete all questions, PushButton your answers ...\r\n"
                          "Click FINISHED button when survey is complete..");
}

inline Velmora::SurveyFields fields(const QString &outputFolder, const QString &background) {
    Velmora::SurveyFields f;
    f.pageTitle = QStringLiteral("My Product Survey");
    f.surveyQuestions = questions();
    f.backgroundImage = background;
    f.outputFolder = outputFolder;
    f.message = message();
    return f;
}

inline QByteArray page() {
    const char *lines[] = {
        "<html>",
        "<head>",
        "<meta http-equiv=\"Content-Type\"",
        "content=\"text/html; charset=iso-8859-1\">",
        "<meta name=\"GENERATOR\"content=\"Microsoft FrontPage Express 2.0\">",
        "<title>My Product Survey</title>",
        "</head>",
        " ",
        "<body background=\"background.gif\">",
        " ",
        "<form method=post action=\"\">",
        "    <p><font size=\"6\">My Product Survey</font></p>",
        "    <hr>",
        "    <p>Enter your name: <input type=\"text\" size=\"20\"",
        "    name=\"UserName\" value=\"\"></p>",
        "    <p>Enter your email address: <input type=\"text\" size=\"20\"",
        "    name=\"UserEmail\" value=\"\"></p>",
        "</p>",
        "<hr>",
        "<p>1)  What product did you test?<br>",
        "<br>",
        "<input type=\"text\" size=\"40\" name=\"1\"><br>",
        "</p>",
        "<hr>",
        "<p>2)  Would you use this product again?<br>",
        "<br>",
        "<input type=\"radio\" name=\"2\" value=\" a)\"> a) Yes<br>",
        "<input type=\"radio\" name=\"2\" value=\" b)\"> b) No<br>",
        "<input type=\"radio\" name=\"2\" value=\" b)\"> b) Maybe<br>",
        "</p>",
        "<hr>",
        "<p>3)  How would you rate the quality of the product?<br>",
        "<br>",
        "<input type=\"checkbox\" name=\"3) a)\"> a) Good<br>",
        "<input type=\"checkbox\" name=\"3) b)\"> b) Average<br>",
        "<input type=\"checkbox\" name=\"3) a)\"> a) Poor<br>",
        "</p>",
        "<hr>",
        "<p>4)  Are there any additional comments that you would like to make about the "
        "product?<br>",
        "<br>",
        "<textarea name=\"4\" rows=\"4\" cols=\"40\"></textarea><br>",
        "<hr>",
        "<p>Complete all questions, PushButton your answers ...</p></p>Click FINISHED button "
        "when survey is complete..</p>",
        "<input type=\"submit\" name=\"14:03:27|08-31-2021\" value=\"FINISHED\"></p>",
        "<hr>",
        "</form>",
        "</body>",
        "</html>",
    };
    QByteArray bytes;
    for (const char *line : lines)
        bytes.append(line).append("\r\n");
    return bytes;
}

// The page made again with question 1 asking something else, in a text area.
inline QByteArray remadePage() {
    return page()
        .replace("<p>1)  What product did you test?<br>", "<p>1)  What did you pay?<br>")
        .replace("<input type=\"text\" size=\"40\" name=\"1\"><br>",
                 "<textarea name=\"1\" rows=\"4\" cols=\"40\"></textarea><br>");
}

} // namespace WorkedExample

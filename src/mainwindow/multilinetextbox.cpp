#include "multilinetextbox.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextDocumentLayout>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextCursor>
#include <QThreadPool>
#include <QTimer>

namespace Velmora {

namespace {

// About what the box lays out in a few milliseconds: a keystroke never waits for
// more than one such piece.
constexpr qsizetype LoadPiece = 32 * 1024;
// Past this many characters, editing away the whole text in the document would
// hold the window (a second or more at megabytes): a new document is swapped in.
constexpr int LongText = 256 * 1024;

// What the box shows: every kind of line end becomes a line of its own.
// (QString::replace() moves the rest of the text at every line of a megabyte.)
QString linesOf(const QString &text) {
    QString lines(text.size(), Qt::Uninitialized);
    QChar *out = lines.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            continue; // the LF of the pair makes the line end
        *out++ = c == u'\r' ? QChar(u'\n') : c;
    }
    lines.truncate(out - lines.constData());
    return lines;
}

// `lines` with every `separator` written as CR LF.
void appendWithLineBreaks(QString &text, QStringView lines, QChar separator) {
    const qsizetype breaks = lines.count(separator);
    qsizetype at = text.size();
    text.resize(at + lines.size() + breaks);
    QChar *out = text.data() + at;
    for (const QChar c : lines) {
        if (c == separator) {
            *out++ = u'\r';
            *out++ = u'\n';
        } else {
            *out++ = c;
        }
    }
}

// Where the piece of `lines` that is shown next ends: at a line break, so that
// every piece adds whole lines.
qsizetype pieceEnd(const QString &lines) {
    if (lines.size() <= LoadPiece)
        return lines.size();
    const qsizetype lineBreak = lines.indexOf(QLatin1Char('\n'), LoadPiece);
    return lineBreak < 0 ? lines.size() : lineBreak;
}

// A document of megabytes takes half a second to free: that is done off the
// window's thread, once nothing refers to it any more.
void freeElsewhere(QTextDocument *document) {
    document->disconnect();
    if (QAbstractTextDocumentLayout *layout = document->documentLayout())
        layout->disconnect();
    document->moveToThread(nullptr);
    QThreadPool::globalInstance()->start([document] { delete document; });
}

} // namespace

MultiLineTextBox::MultiLineTextBox(QWidget *parent)
    : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    watch(document());
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_addingLines)
            emit changed();
    });
    // The end is followed until the person moves the cursor elsewhere.
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        if (!m_addingLines)
            m_followsEnd = false;
    });
}

void MultiLineTextBox::watch(QTextDocument *document) {
    // Any edit after a fill (typing, pasting, undo) makes the lines the text
    // again, and what Ctrl+Shift+Z would have brought back is gone.
    connect(document, &QTextDocument::contentsChange, this, [this] {
        if (!m_filling) {
            m_exactText.reset();
            m_textBeforeUndoing.reset();
        }
    });
}

QString MultiLineTextBox::textOfLines() const {
    // toPlainText() would turn no-break spaces into blanks; the raw text keeps
    // every character and marks the lines with paragraph separators.
    QString text;
    appendWithLineBreaks(text, document()->toRawText(), QChar::ParagraphSeparator);
    appendWithLineBreaks(text, m_pendingLines, QLatin1Char('\n'));
    return text;
}

QString MultiLineTextBox::text() const {
    return m_exactText ? *m_exactText : textOfLines();
}

void MultiLineTextBox::rememberExactText(const QString &text) {
    if (textOfLines() != text)
        m_exactText = text;
    else
        m_exactText.reset();
}

void MultiLineTextBox::showLines(const QString &lines) {
    const qsizetype end = pieceEnd(lines);
    m_pendingLines = lines.mid(end);

    QTextDocument *old = document();
    auto *fresh = new QTextDocument(this);
    fresh->setDocumentLayout(new QPlainTextDocumentLayout(fresh));
    fresh->setDefaultFont(old->defaultFont());
    fresh->setDefaultTextOption(old->defaultTextOption());
    fresh->setDocumentMargin(old->documentMargin());
    // The first lines are where the history starts, not an edit to take back.
    // Typing while the rest comes in is kept, but is not undone line by line
    // among the pieces: the history starts when the whole text is there.
    fresh->setUndoRedoEnabled(false);
    QTextCursor(fresh).insertText(end == lines.size() ? lines : lines.left(end));
    fresh->setUndoRedoEnabled(!isLoading());
    {
        const QScopedValueRollback adding(m_addingLines, true);
        old->setParent(nullptr);
        setDocument(fresh);
    }
    watch(fresh);
    emit documentReplaced(fresh);
    freeElsewhere(old);
    if (isLoading())
        QTimer::singleShot(0, this, [this] { loadMoreLines(); });
}

void MultiLineTextBox::loadMoreLines() {
    if (!isLoading())
        return;
    const QScopedValueRollback filling(m_filling, true);
    const QScopedValueRollback adding(m_addingLines, true);
    const qsizetype pieceSize = pieceEnd(m_pendingLines);
    const QString piece = m_pendingLines.left(pieceSize);
    m_pendingLines.remove(0, pieceSize);

    // Select All keeps selecting all, Ctrl+End keeps the end; elsewhere the
    // person's cursor stays where it was, also when it was at the end.
    // (Positions, not a copy of the cursor: a copy would move with the insertion.)
    const int position = textCursor().position();
    const int anchor = textCursor().anchor();
    const int shownEnd = document()->characterCount() - 1;
    const bool all = position != anchor && std::min(position, anchor) == 0 &&
                     std::max(position, anchor) == shownEnd;
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(piece);
    const int end = document()->characterCount() - 1;
    QTextCursor kept(document());
    kept.setPosition(all ? 0 : anchor);
    kept.setPosition(all || m_followsEnd ? end : position, QTextCursor::KeepAnchor);
    if (m_followsEnd && anchor == position)
        kept.setPosition(end);
    if (textCursor().position() != kept.position() || textCursor().anchor() != kept.anchor())
        setTextCursor(kept);

    if (isLoading())
        QTimer::singleShot(0, this, [this] { loadMoreLines(); });
    else
        finishedLoading();
}

void MultiLineTextBox::finishedLoading() {
    document()->setUndoRedoEnabled(true);
    // Keys typed at the end while it was still coming in land there now.
    const auto typed = std::move(m_keysAtTheEnd);
    m_keysAtTheEnd.clear();
    for (const auto &key : typed)
        keyPressEvent(key.get());
}

void MultiLineTextBox::stopLoading() {
    m_pendingLines.clear();
    m_keysAtTheEnd.clear();
    m_followsEnd = false;
}

bool MultiLineTextBox::selectsWholeText() const {
    const QTextCursor cursor = textCursor();
    return cursor.hasSelection() && cursor.selectionStart() == 0 &&
           cursor.selectionEnd() == document()->characterCount() - 1 &&
           (isLoading() || document()->characterCount() > LongText);
}

std::optional<QString> MultiLineTextBox::replacementFor(QKeyEvent *event) const {
    if (event->matches(QKeySequence::Paste))
        return QGuiApplication::clipboard()->text();
    if (event->matches(QKeySequence::Cut) || event->matches(QKeySequence::Delete) ||
        event->matches(QKeySequence::DeleteStartOfWord) ||
        event->matches(QKeySequence::DeleteEndOfWord) || event->key() == Qt::Key_Backspace)
        return QString();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return QStringLiteral("\r\n");
    const QString typed = event->text();
    if (!typed.isEmpty() && typed.front().isPrint() &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)))
        return typed;
    return std::nullopt;
}

void MultiLineTextBox::keyPressEvent(QKeyEvent *event) {
    // While the end is still coming in, what is typed there waits for it, in order.
    if (isLoading() && (m_followsEnd || !m_keysAtTheEnd.empty())) {
        m_keysAtTheEnd.emplace_back(static_cast<QKeyEvent *>(event->clone()));
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)) {
        undoOrRedo(event->matches(QKeySequence::Undo));
        event->accept();
        return;
    }
    if (selectsWholeText()) {
        if (const std::optional<QString> replacement = replacementFor(event)) {
            if (event->matches(QKeySequence::Cut))
                QGuiApplication::clipboard()->setText(text());
            replaceWholeText(*replacement);
            event->accept();
            return;
        }
    }
    const bool toTheEnd = isLoading() && (event->matches(QKeySequence::MoveToEndOfDocument) ||
                                          event->matches(QKeySequence::SelectEndOfDocument));
    QPlainTextEdit::keyPressEvent(event);
    if (toTheEnd)
        m_followsEnd = true;
}

void MultiLineTextBox::contextMenuEvent(QContextMenuEvent *event) {
    // The menu's Undo and Redo reach the whole text replaced too, and its Cut,
    // Paste and Delete act on the whole text when all of it is selected.
    std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    const bool whole = selectsWholeText();
    for (QAction *action : menu->actions()) {
        const QString name = action->objectName();
        std::function<void()> instead;
        if (name == QLatin1String("edit-undo")) {
            action->setEnabled(document()->isUndoAvailable() || m_textBeforeReplacing);
            instead = [this] { undoOrRedo(true); };
        } else if (name == QLatin1String("edit-redo")) {
            action->setEnabled(document()->isRedoAvailable() || m_textBeforeUndoing);
            instead = [this] { undoOrRedo(false); };
        } else if (whole && name == QLatin1String("edit-cut")) {
            instead = [this] {
                QGuiApplication::clipboard()->setText(text());
                replaceWholeText(QString());
            };
        } else if (whole && name == QLatin1String("edit-delete")) {
            instead = [this] { replaceWholeText(QString()); };
        } else if (whole && name == QLatin1String("edit-paste")) {
            instead = [this] { replaceWholeText(QGuiApplication::clipboard()->text()); };
        }
        if (instead) {
            action->disconnect(SIGNAL(triggered(bool)));
            connect(action, &QAction::triggered, this, instead);
        }
    }
    menu->exec(event->globalPos());
}

void MultiLineTextBox::setText(const QString &text) {
    stopLoading();
    m_textBeforeReplacing.reset();
    m_textBeforeUndoing.reset();
    {
        const QScopedValueRollback filling(m_filling, true);
        // Known before the box changes, so the change rule stores the exact text.
        m_exactText = text;
        showLines(linesOf(text));
        rememberExactText(text);
    }
    emit changed();
}

void MultiLineTextBox::replaceWholeText(const QString &text) {
    const QString before = this->text();
    setText(text);
    moveCursor(QTextCursor::End);
    m_textBeforeReplacing = before;
}

bool MultiLineTextBox::undoWholeText() {
    if (!m_textBeforeReplacing)
        return false;
    const QString replaced = text();
    setText(*std::exchange(m_textBeforeReplacing, std::nullopt));
    m_textBeforeUndoing = replaced;
    return true;
}

bool MultiLineTextBox::redoWholeText() {
    if (!m_textBeforeUndoing)
        return false;
    const QString earlier = text();
    setText(*std::exchange(m_textBeforeUndoing, std::nullopt));
    moveCursor(QTextCursor::End);
    m_textBeforeReplacing = earlier;
    return true;
}

void MultiLineTextBox::undoOrRedo(bool undo) {
    if (undo && document()->isUndoAvailable())
        QPlainTextEdit::undo();
    else if (!undo && document()->isRedoAvailable())
        QPlainTextEdit::redo();
    else if (undo)
        undoWholeText();
    else
        redoWholeText();
}

void MultiLineTextBox::replaceText(const QString &text) {
    if (isLoading() || document()->characterCount() > LongText) {
        replaceWholeText(text);
        return;
    }
    // Ctrl+Z must bring back the whole text being replaced.
    const QScopedValueRollback filling(m_filling, true);
    m_exactText = text;
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.insertText(linesOf(text));
    cursor.endEditBlock();
    rememberExactText(text);
}

} // namespace Velmora

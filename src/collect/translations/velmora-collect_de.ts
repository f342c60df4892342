<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>Velmora</name>
    <message>
        <source>See the surveys here</source>
        <translation>Zu den Umfragen</translation>
    </message>
    <message>
        <source>Not found</source>
        <translation>Nicht gefunden</translation>
    </message>
    <message>
        <source>There is no survey at this address.</source>
        <translation>Unter dieser Adresse gibt es keine Umfrage.</translation>
    </message>
    <message>
        <source>This survey</source>
        <translation>Diese Umfrage</translation>
    </message>
    <message>
        <source>Please go back, shorten it and press FINISHED again: your answers are still in the form.</source>
        <translation>Bitte gehen Sie zurück, kürzen Sie sie und drücken Sie noch einmal auf FERTIG: Ihre Antworten stehen noch im Formular.</translation>
    </message>
    <message>
        <source>The answer to %1 can be %2 characters long at most.</source>
        <translation>Die Antwort auf %1 darf höchstens %2 Zeichen lang sein.</translation>
    </message>
    <message>
        <source>(no question)</source>
        <translation>(keine Frage)</translation>
    </message>
    <message>
        <source>A name or an e-mail address can be %1 characters long at most.</source>
        <translation>Ein Name oder eine E-Mail-Adresse darf höchstens %1 Zeichen lang sein.</translation>
    </message>
    <message>
        <source>Too large</source>
        <translation>Zu lang</translation>
    </message>
    <message>
        <source>%1 has been closed since %2: it takes no more answers. Thank you for your interest.</source>
        <translation>%1 ist seit %2 geschlossen und nimmt keine Antworten mehr an. Danke für Ihr Interesse.</translation>
    </message>
    <message>
        <source>It opens again on %1.</source>
        <translation>Sie öffnet wieder am %1.</translation>
    </message>
    <message>
        <source>This survey is closed</source>
        <translation>Diese Umfrage ist geschlossen</translation>
    </message>
    <message>
        <source>This survey has closed</source>
        <translation>Diese Umfrage wurde geschlossen</translation>
    </message>
    <message>
        <source>%1 closed on %2, and your answers were not saved. They are below, and still in the form if you go back, for you to keep.</source>
        <translation>%1 wurde am %2 geschlossen, und Ihre Antworten wurden nicht gespeichert. Sie stehen unten und, wenn Sie zurückgehen, noch im Formular, damit Sie sie behalten können.</translation>
    </message>
    <message>
        <source>(none given)</source>
        <translation>(keine angegeben)</translation>
    </message>
    <message>
        <source>Not from this site</source>
        <translation>Nicht von dieser Website</translation>
    </message>
    <message>
        <source>Nothing was changed: %1</source>
        <translation>Nichts wurde geändert: %1</translation>
    </message>
    <message>
        <source>Some answers are missing</source>
        <translation>Einige Antworten fehlen</translation>
    </message>
    <message>
        <source>%1 needs an answer to every question below. Please go back, answer them and press FINISHED again: your answers are still in the form.</source>
        <translation>%1 braucht eine Antwort auf jede der Fragen unten. Bitte gehen Sie zurück, beantworten Sie sie und drücken Sie noch einmal auf FERTIG: Ihre Antworten stehen noch im Formular.</translation>
    </message>
    <message>
        <source>Try again</source>
        <translation>Erneut versuchen</translation>
    </message>
    <message>
        <source>Your answers were not saved</source>
        <translation>Ihre Antworten wurden nicht gespeichert</translation>
    </message>
    <message>
        <source>Sorry: your answers to %1 could not be saved just now. Please try again in a minute, or go back: your answers are still in the form.</source>
        <translation>Leider konnten Ihre Antworten auf %1 gerade nicht gespeichert werden. Bitte versuchen Sie es in einer Minute noch einmal, oder gehen Sie zurück: Ihre Antworten stehen noch im Formular.</translation>
    </message>
    <message>
        <source>Answers to %1 were already sent from this form, and these are different. Which are they?</source>
        <translation>Antworten auf %1 wurden von diesem Formular schon gesendet, und diese sind anders. Was sind sie?</translation>
    </message>
    <message>
        <source>A correction: replace the answers I sent</source>
        <translation>Eine Korrektur: die gesendeten Antworten ersetzen</translation>
    </message>
    <message>
        <source>Someone else&apos;s: keep both</source>
        <translation>Die einer anderen Person: beide behalten</translation>
    </message>
    <message>
        <source>Or go back: your answers are still in the form.</source>
        <translation>Oder gehen Sie zurück: Ihre Antworten stehen noch im Formular.</translation>
    </message>
    <message>
        <source>You sent this survey before</source>
        <translation>Sie haben diese Umfrage schon gesendet</translation>
    </message>
    <message>
        <source>Thank you</source>
        <translation>Danke</translation>
    </message>
    <message>
        <source>Answer the survey again, as someone else</source>
        <translation>Die Umfrage noch einmal beantworten, als andere Person</translation>
    </message>
    <message>
        <source>Answer the survey</source>
        <translation>Die Umfrage beantworten</translation>
    </message>
    <message>
        <source>Answers to %1</source>
        <translation>Antworten auf %1</translation>
    </message>
    <message>
        <source>This page confirms answers to %1 right after they are sent; opened otherwise, it confirms none.</source>
        <translation>Diese Seite bestätigt Antworten auf %1 direkt nach dem Senden; anders geöffnet, bestätigt sie keine.</translation>
    </message>
    <message>
        <source>Your answers to %1 were saved. You can close this page.</source>
        <translation>Ihre Antworten auf %1 wurden gespeichert. Sie können diese Seite schließen.</translation>
    </message>
    <message>
        <source>These answers are larger than any survey needs: a survey takes at most 1 MiB of answers.</source>
        <translation>Diese Antworten sind größer, als eine Umfrage braucht: Eine Umfrage nimmt höchstens 1 MiB an Antworten an.</translation>
    </message>
    <message>
        <source>Busy, try again in a moment</source>
        <translation>Ausgelastet, bitte gleich noch einmal</translation>
    </message>
    <message>
        <source>Many people are answering right now. Please wait a moment, then go back and try again: your answers are still in the form.</source>
        <translation>Gerade antworten sehr viele Menschen. Bitte warten Sie einen Moment, gehen Sie dann zurück und versuchen Sie es noch einmal: Ihre Antworten stehen noch im Formular.</translation>
    </message>
    <message>
        <source>No more answers today</source>
        <translation>Heute keine Antworten mehr</translation>
    </message>
    <message>
        <source>Too many answers at once</source>
        <translation>Zu viele Antworten auf einmal</translation>
    </message>
    <message>
        <source>This survey has taken all the answers it can store for now. Please come back later, within a day, go back and send them again: your answers are still in the form.</source>
        <translation>Diese Umfrage hat vorerst alle Antworten angenommen, die sie speichern kann. Bitte kommen Sie später wieder, innerhalb eines Tages, gehen Sie zurück und senden Sie sie noch einmal: Ihre Antworten stehen noch im Formular.</translation>
    </message>
    <message>
        <source>More answers are arriving than this survey takes at once. Please wait a minute, then go back and send them again: your answers are still in the form.</source>
        <translation>Es kommen mehr Antworten an, als diese Umfrage auf einmal annimmt. Bitte warten Sie eine Minute, gehen Sie dann zurück und senden Sie sie noch einmal: Ihre Antworten stehen noch im Formular.</translation>
    </message>
    <message>
        <source>Method not allowed</source>
        <translation>Methode nicht erlaubt</translation>
    </message>
    <message>
        <source>Answers go to the survey&apos;s own address.</source>
        <translation>Antworten gehen an die eigene Adresse der Umfrage.</translation>
    </message>
    <message>
        <source>Surveys are opened and answered here, nothing else.</source>
        <translation>Umfragen werden hier geöffnet und beantwortet, sonst nichts.</translation>
    </message>
    <message>
        <source>Unsupported form</source>
        <translation>Formular nicht unterstützt</translation>
    </message>
    <message>
        <source>Bad form</source>
        <translation>Fehlerhaftes Formular</translation>
    </message>
    <message>
        <source>Answers are sent as an HTML form.</source>
        <translation>Antworten werden als HTML-Formular gesendet.</translation>
    </message>
    <message>
        <source>The answers did not arrive as this survey&apos;s form.</source>
        <translation>Die Antworten kamen nicht als Formular dieser Umfrage an.</translation>
    </message>
    <message>
        <source>The answers did not arrive as a form.</source>
        <translation>Die Antworten kamen nicht als Formular an.</translation>
    </message>
    <message>
        <source>The answers hold a NUL character, which cannot be stored. Please go back and remove it.</source>
        <translation>Die Antworten enthalten ein NUL-Zeichen, das nicht gespeichert werden kann. Bitte gehen Sie zurück und entfernen Sie es.</translation>
    </message>
    <message>
        <source>Surveys</source>
        <translation>Umfragen</translation>
    </message>
    <message>
        <source>There are no surveys here yet.</source>
        <translation>Hier gibt es noch keine Umfragen.</translation>
    </message>
    <message>
        <source>Survey</source>
        <translation>Umfrage</translation>
    </message>
    <message>
        <source>Enter your name:</source>
        <translation>Geben Sie Ihren Namen ein:</translation>
    </message>
    <message>
        <source>Enter your email address:</source>
        <translation>Geben Sie Ihre E-Mail-Adresse ein:</translation>
    </message>
    <message>
        <source>(required)</source>
        <translation>(Pflichtfeld)</translation>
    </message>
    <message>
        <source>FINISHED</source>
        <translation>FERTIG</translation>
    </message>
    <message>
        <source>Back to the results</source>
        <translation>Zurück zu den Ergebnissen</translation>
    </message>
    <message>
        <source>None.</source>
        <translation>Keine.</translation>
    </message>
    <message>
        <source>Tick</source>
        <translation>Auswählen</translation>
    </message>
    <message>
        <source>Received</source>
        <translation>Eingegangen</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>E-mail</source>
        <translation>E-Mail</translation>
    </message>
    <message>
        <source>Over HTTPS only</source>
        <translation>Nur über HTTPS</translation>
    </message>
    <message>
        <source>The results link works over HTTPS, or on the collector&apos;s own computer.</source>
        <translation>Der Ergebnislink funktioniert über HTTPS oder auf dem Computer des Sammlers selbst.</translation>
    </message>
    <message>
        <source>Results are read here, nothing else.</source>
        <translation>Ergebnisse werden hier gelesen, sonst nichts.</translation>
    </message>
    <message>
        <source>No answers yet.</source>
        <translation>Noch keine Antworten.</translation>
    </message>
    <message>
        <source>Open and close</source>
        <translation>Öffnen und schließen</translation>
    </message>
    <message>
        <source>Remove test answers</source>
        <translation>Testantworten entfernen</translation>
    </message>
    <message>
        <source>Questions respondents must answer</source>
        <translation>Fragen, die beantwortet werden müssen</translation>
    </message>
    <message>
        <source>The answers themselves are in the database: %1 writes them as answers files.</source>
        <translation>Die Antworten selbst liegen in der Datenbank: %1 schreibt sie als Antwortdateien.</translation>
    </message>
    <message>
        <source>Results</source>
        <translation>Ergebnisse</translation>
    </message>
    <message>
        <source>Tick test answers to take them out of the answers file and the summary. They are kept aside in %1, and can be brought back.</source>
        <translation>Markieren Sie Testantworten, um sie aus der Antwortdatei und der Zusammenfassung zu nehmen. Sie werden in %1 aufbewahrt und können zurückgeholt werden.</translation>
    </message>
    <message>
        <source>Answers, newest first</source>
        <translation>Antworten, neueste zuerst</translation>
    </message>
    <message>
        <source>Remove the ticked answers</source>
        <translation>Markierte Antworten entfernen</translation>
    </message>
    <message>
        <source>Removed answers</source>
        <translation>Entfernte Antworten</translation>
    </message>
    <message>
        <source>Bring the ticked answers back</source>
        <translation>Markierte Antworten zurückholen</translation>
    </message>
    <message numerus="yes">
        <source>%n answers brought back.</source>
        <translation>
            <numerusform>%n Antwort zurückgeholt.</numerusform>
            <numerusform>%n Antworten zurückgeholt.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n answers removed: they are kept below, and can be brought back.</source>
        <translation>
            <numerusform>%n Antwort entfernt: Sie steht unten und kann zurückgeholt werden.</numerusform>
            <numerusform>%n Antworten entfernt: Sie stehen unten und können zurückgeholt werden.</numerusform>
        </translation>
    </message>
    <message>
        <source>the database (velmora.removed_answers)</source>
        <translation>der Datenbank (velmora.removed_answers)</translation>
    </message>
    <message>
        <source>Closed since %1.</source>
        <translation>Geschlossen seit %1.</translation>
    </message>
    <message>
        <source>Open: it closes on %1.</source>
        <translation>Offen: Sie schließt am %1.</translation>
    </message>
    <message>
        <source>Open.</source>
        <translation>Offen.</translation>
    </message>
    <message>
        <source>A closed survey&apos;s page says since when it is closed, and the list of surveys leaves it out. Answers sent within %1 minutes of closing, by respondents who were half-way through, are still stored.</source>
        <translation>Die Seite einer geschlossenen Umfrage sagt, seit wann sie geschlossen ist, und die Liste der Umfragen lässt sie aus. Antworten, die innerhalb von %1 Minuten nach dem Schließen gesendet werden, von Menschen, die gerade mittendrin waren, werden noch gespeichert.</translation>
    </message>
    <message>
        <source>Close at (leave empty for now)</source>
        <translation>Schließen am (leer lassen für sofort)</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Open at (leave empty for now)</source>
        <translation>Öffnen am (leer lassen für sofort)</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Open and close %1</source>
        <translation>%1 öffnen und schließen</translation>
    </message>
    <message>
        <source>Say close or open, now or at a time.</source>
        <translation>Sagen Sie schließen oder öffnen, jetzt oder zu einer Zeit.</translation>
    </message>
    <message>
        <source>Every question</source>
        <translation>Jede Frage</translation>
    </message>
    <message>
        <source>Respondents must answer the questions ticked: the survey marks them, and an answer without them is refused with a page that names what is missing, the respondent&apos;s answers still in the form.</source>
        <translation>Die markierten Fragen müssen beantwortet werden: Die Umfrage kennzeichnet sie, und eine Antwort ohne sie wird mit einer Seite abgelehnt, die nennt, was fehlt; die Antworten bleiben im Formular.</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Questions to answer in %1</source>
        <translation>Pflichtfragen in %1</translation>
    </message>
    <message>
        <source>Saved.</source>
        <translation>Gespeichert.</translation>
    </message>
    <message>
        <source>Saved: the survey asks for them now.</source>
        <translation>Gespeichert: Die Umfrage verlangt sie jetzt.</translation>
    </message>
    <message>
        <source>Not made</source>
        <translation>Nicht erstellt</translation>
    </message>
    <message>
        <source>The table cannot be made now: %1</source>
        <translation>Die Tabelle kann jetzt nicht erstellt werden: %1</translation>
    </message>
    <message>
        <source>These options post the same answer, so the page cannot tell them apart: they are counted together.</source>
        <translation>Diese Optionen senden dieselbe Antwort, daher kann die Seite sie nicht unterscheiden: Sie werden zusammen gezählt.</translation>
    </message>
    <message>
        <source>No answers given.</source>
        <translation>Keine Antworten gegeben.</translation>
    </message>
    <message numerus="yes">
        <source>%n answers, newest first.</source>
        <translation>
            <numerusform>%n Antwort, neueste zuerst.</numerusform>
            <numerusform>%n Antworten, neueste zuerst.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The %n older answers are in the answers file.</source>
        <translation>
            <numerusform>Die %n ältere Antwort steht in der Antwortdatei.</numerusform>
            <numerusform>Die %n älteren Antworten stehen in der Antwortdatei.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n answers</source>
        <translation>
            <numerusform>%n Antwort</numerusform>
            <numerusform>%n Antworten</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>(%n of them to other versions of the page)</source>
        <translation>
            <numerusform>(davon %n auf andere Fassungen der Seite)</numerusform>
            <numerusform>(davon %n auf andere Fassungen der Seite)</numerusform>
        </translation>
    </message>
    <message>
        <source>, the first received %1, the latest %2</source>
        <translation>, die erste eingegangen am %1, die letzte am %2</translation>
    </message>
    <message>
        <source>Asked in these words in %1 of the %2 answers: other versions of the page asked it otherwise, or not at all.</source>
        <translation>In diesem Wortlaut in %1 der %2 Antworten gefragt: Andere Fassungen der Seite fragten anders oder gar nicht.</translation>
    </message>
    <message>
        <source>Asked otherwise in other versions</source>
        <translation>In anderen Fassungen anders gefragt</translation>
    </message>
    <message>
        <source>Other versions of the page asked these, in other words or with other options; their answers are in those versions&apos; answers files.</source>
        <translation>Andere Fassungen der Seite fragten dies mit anderen Worten oder anderen Optionen; ihre Antworten stehen in den Antwortdateien dieser Fassungen.</translation>
    </message>
    <message>
        <source>(an answer the page does not offer)</source>
        <translation>(eine Antwort, die die Seite nicht anbietet)</translation>
    </message>
    <message>
        <source>(untitled survey)</source>
        <translation>(Umfrage ohne Titel)</translation>
    </message>
    <message>
        <source>Summary: %1</source>
        <translation>Zusammenfassung: %1</translation>
    </message>
    <message>
        <source>Answers are removed on the results link&apos;s own page, not from another site.</source>
        <translation>Antworten werden auf der eigenen Seite des Ergebnislinks entfernt, nicht von einer anderen Website aus.</translation>
    </message>
    <message>
        <source>Surveys are closed and opened on the results link&apos;s own page, not from another site.</source>
        <translation>Umfragen werden auf der eigenen Seite des Ergebnislinks geschlossen und geöffnet, nicht von einer anderen Website aus.</translation>
    </message>
    <message>
        <source>Required questions are chosen on the results link&apos;s own page, not from another site.</source>
        <translation>Pflichtfragen werden auf der eigenen Seite des Ergebnislinks gewählt, nicht von einer anderen Website aus.</translation>
    </message>
</context>
</TS>

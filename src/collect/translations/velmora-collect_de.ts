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
        <source>%1 on the results link&apos;s own page, not from another site.</source>
        <translation>%1 auf der eigenen Seite des Ergebnislinks, nicht von einer anderen Website aus.</translation>
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
</context>
</TS>

<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="it">
<context>
    <name>Velmora</name>
    <message>
        <source>See the surveys here</source>
        <translation>Vedi i sondaggi</translation>
    </message>
    <message>
        <source>Not found</source>
        <translation>Non trovato</translation>
    </message>
    <message>
        <source>There is no survey at this address.</source>
        <translation>Non c’è nessun sondaggio a questo indirizzo.</translation>
    </message>
    <message>
        <source>This survey</source>
        <translation>Questo sondaggio</translation>
    </message>
    <message>
        <source>Please go back, shorten it and press FINISHED again: your answers are still in the form.</source>
        <translation>Torna indietro, accorciala e premi di nuovo FINITO: le tue risposte sono ancora nel modulo.</translation>
    </message>
    <message>
        <source>The answer to %1 can be %2 characters long at most.</source>
        <translation>La risposta a %1 può avere al massimo %2 caratteri.</translation>
    </message>
    <message>
        <source>(no question)</source>
        <translation>(nessuna domanda)</translation>
    </message>
    <message>
        <source>A name or an e-mail address can be %1 characters long at most.</source>
        <translation>Un nome o un indirizzo e-mail può avere al massimo %1 caratteri.</translation>
    </message>
    <message>
        <source>Too large</source>
        <translation>Troppo lungo</translation>
    </message>
    <message>
        <source>%1 has been closed since %2: it takes no more answers. Thank you for your interest.</source>
        <translation>%1 è chiuso dal %2: non accetta più risposte. Grazie per l’interesse.</translation>
    </message>
    <message>
        <source>It opens again on %1.</source>
        <translation>Riapre il %1.</translation>
    </message>
    <message>
        <source>This survey is closed</source>
        <translation>Questo sondaggio è chiuso</translation>
    </message>
    <message>
        <source>This survey has closed</source>
        <translation>Questo sondaggio è stato chiuso</translation>
    </message>
    <message>
        <source>%1 closed on %2, and your answers were not saved. They are below, and still in the form if you go back, for you to keep.</source>
        <translation>%1 è stato chiuso il %2, e le tue risposte non sono state salvate. Sono qui sotto, e ancora nel modulo se torni indietro, perché tu possa conservarle.</translation>
    </message>
    <message>
        <source>(none given)</source>
        <translation>(nessuna)</translation>
    </message>
    <message>
        <source>Not from this site</source>
        <translation>Non da questo sito</translation>
    </message>
    <message>
        <source>%1 on the results link&apos;s own page, not from another site.</source>
        <translation>%1 sulla pagina del link dei risultati, non da un altro sito.</translation>
    </message>
    <message>
        <source>Nothing was changed: %1</source>
        <translation>Non è stato cambiato nulla: %1</translation>
    </message>
    <message>
        <source>Some answers are missing</source>
        <translation>Mancano alcune risposte</translation>
    </message>
    <message>
        <source>%1 needs an answer to every question below. Please go back, answer them and press FINISHED again: your answers are still in the form.</source>
        <translation>%1 richiede una risposta a ciascuna delle domande qui sotto. Torna indietro, rispondi e premi di nuovo FINITO: le tue risposte sono ancora nel modulo.</translation>
    </message>
    <message>
        <source>Try again</source>
        <translation>Riprova</translation>
    </message>
    <message>
        <source>Your answers were not saved</source>
        <translation>Le tue risposte non sono state salvate</translation>
    </message>
    <message>
        <source>Sorry: your answers to %1 could not be saved just now. Please try again in a minute, or go back: your answers are still in the form.</source>
        <translation>Spiacenti: le tue risposte a %1 non hanno potuto essere salvate in questo momento. Riprova tra un minuto, oppure torna indietro: le tue risposte sono ancora nel modulo.</translation>
    </message>
    <message>
        <source>Answers to %1 were already sent from this form, and these are different. Which are they?</source>
        <translation>Da questo modulo sono già state inviate risposte a %1, e queste sono diverse. Che cosa sono?</translation>
    </message>
    <message>
        <source>A correction: replace the answers I sent</source>
        <translation>Una correzione: sostituisci le risposte che ho inviato</translation>
    </message>
    <message>
        <source>Someone else&apos;s: keep both</source>
        <translation>Di un’altra persona: conserva entrambe</translation>
    </message>
    <message>
        <source>Or go back: your answers are still in the form.</source>
        <translation>Oppure torna indietro: le tue risposte sono ancora nel modulo.</translation>
    </message>
    <message>
        <source>You sent this survey before</source>
        <translation>Hai già inviato questo sondaggio</translation>
    </message>
    <message>
        <source>Thank you</source>
        <translation>Grazie</translation>
    </message>
    <message>
        <source>Answer the survey again, as someone else</source>
        <translation>Rispondi di nuovo, come un’altra persona</translation>
    </message>
    <message>
        <source>Answer the survey</source>
        <translation>Rispondi al sondaggio</translation>
    </message>
    <message>
        <source>Answers to %1</source>
        <translation>Risposte a %1</translation>
    </message>
    <message>
        <source>This page confirms answers to %1 right after they are sent; opened otherwise, it confirms none.</source>
        <translation>Questa pagina conferma le risposte a %1 subito dopo l’invio; aperta in altro modo, non ne conferma nessuna.</translation>
    </message>
    <message>
        <source>Your answers to %1 were saved. You can close this page.</source>
        <translation>Le tue risposte a %1 sono state salvate. Puoi chiudere questa pagina.</translation>
    </message>
    <message>
        <source>These answers are larger than any survey needs: a survey takes at most 1 MiB of answers.</source>
        <translation>Queste risposte sono più grandi di quanto serva a qualsiasi sondaggio: un sondaggio accetta al massimo 1 MiB di risposte.</translation>
    </message>
    <message>
        <source>Busy, try again in a moment</source>
        <translation>Occupato, riprova tra un momento</translation>
    </message>
    <message>
        <source>Many people are answering right now. Please wait a moment, then go back and try again: your answers are still in the form.</source>
        <translation>Molte persone stanno rispondendo in questo momento. Attendi un momento, poi torna indietro e riprova: le tue risposte sono ancora nel modulo.</translation>
    </message>
    <message>
        <source>No more answers today</source>
        <translation>Niente più risposte per oggi</translation>
    </message>
    <message>
        <source>Too many answers at once</source>
        <translation>Troppe risposte insieme</translation>
    </message>
    <message>
        <source>This survey has taken all the answers it can store for now. Please come back later, within a day, go back and send them again: your answers are still in the form.</source>
        <translation>Questo sondaggio ha ricevuto tutte le risposte che può salvare per ora. Torna più tardi, entro un giorno, torna indietro e inviale di nuovo: le tue risposte sono ancora nel modulo.</translation>
    </message>
    <message>
        <source>More answers are arriving than this survey takes at once. Please wait a minute, then go back and send them again: your answers are still in the form.</source>
        <translation>Arrivano più risposte di quante questo sondaggio ne accetti insieme. Attendi un minuto, poi torna indietro e inviale di nuovo: le tue risposte sono ancora nel modulo.</translation>
    </message>
    <message>
        <source>Method not allowed</source>
        <translation>Metodo non consentito</translation>
    </message>
    <message>
        <source>Answers go to the survey&apos;s own address.</source>
        <translation>Le risposte vanno all’indirizzo del sondaggio stesso.</translation>
    </message>
    <message>
        <source>Surveys are opened and answered here, nothing else.</source>
        <translation>Qui i sondaggi si aprono e si compilano, nient’altro.</translation>
    </message>
    <message>
        <source>Unsupported form</source>
        <translation>Modulo non supportato</translation>
    </message>
    <message>
        <source>Bad form</source>
        <translation>Modulo non valido</translation>
    </message>
    <message>
        <source>Answers are sent as an HTML form.</source>
        <translation>Le risposte si inviano con un modulo HTML.</translation>
    </message>
    <message>
        <source>The answers did not arrive as this survey&apos;s form.</source>
        <translation>Le risposte non sono arrivate come il modulo di questo sondaggio.</translation>
    </message>
    <message>
        <source>The answers did not arrive as a form.</source>
        <translation>Le risposte non sono arrivate come modulo.</translation>
    </message>
    <message>
        <source>The answers hold a NUL character, which cannot be stored. Please go back and remove it.</source>
        <translation>Le risposte contengono un carattere NUL, che non può essere salvato. Torna indietro e rimuovilo.</translation>
    </message>
    <message>
        <source>Surveys</source>
        <translation>Sondaggi</translation>
    </message>
    <message>
        <source>There are no surveys here yet.</source>
        <translation>Qui non ci sono ancora sondaggi.</translation>
    </message>
    <message>
        <source>Survey</source>
        <translation>Sondaggio</translation>
    </message>
    <message>
        <source>Enter your name:</source>
        <translation>Inserisci il tuo nome:</translation>
    </message>
    <message>
        <source>Enter your email address:</source>
        <translation>Inserisci il tuo indirizzo e-mail:</translation>
    </message>
    <message>
        <source>(required)</source>
        <translation>(obbligatoria)</translation>
    </message>
    <message>
        <source>FINISHED</source>
        <translation>FINITO</translation>
    </message>
</context>
</TS>

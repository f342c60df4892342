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
    <message>
        <source>Back to the results</source>
        <translation>Torna ai risultati</translation>
    </message>
    <message>
        <source>None.</source>
        <translation>Nessuna.</translation>
    </message>
    <message>
        <source>Tick</source>
        <translation>Seleziona</translation>
    </message>
    <message>
        <source>Received</source>
        <translation>Ricevuta</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nome</translation>
    </message>
    <message>
        <source>E-mail</source>
        <translation>E-mail</translation>
    </message>
    <message>
        <source>Over HTTPS only</source>
        <translation>Solo tramite HTTPS</translation>
    </message>
    <message>
        <source>The results link works over HTTPS, or on the collector&apos;s own computer.</source>
        <translation>Il link dei risultati funziona tramite HTTPS, o sul computer stesso del raccoglitore.</translation>
    </message>
    <message>
        <source>Results are read here, nothing else.</source>
        <translation>Qui si leggono i risultati, nient’altro.</translation>
    </message>
    <message>
        <source>No answers yet.</source>
        <translation>Ancora nessuna risposta.</translation>
    </message>
    <message>
        <source>Open and close</source>
        <translation>Apri e chiudi</translation>
    </message>
    <message>
        <source>Remove test answers</source>
        <translation>Rimuovi le risposte di prova</translation>
    </message>
    <message>
        <source>Questions respondents must answer</source>
        <translation>Domande a cui bisogna rispondere</translation>
    </message>
    <message>
        <source>The answers themselves are in the database: %1 writes them as answers files.</source>
        <translation>Le risposte stesse sono nel database: %1 le scrive come file di risposte.</translation>
    </message>
    <message>
        <source>Results</source>
        <translation>Risultati</translation>
    </message>
    <message>
        <source>Tick test answers to take them out of the answers file and the summary. They are kept aside in %1, and can be brought back.</source>
        <translation>Seleziona le risposte di prova per toglierle dal file delle risposte e dal riepilogo. Vengono conservate a parte in %1 e si possono ripristinare.</translation>
    </message>
    <message>
        <source>Answers, newest first</source>
        <translation>Risposte, dalla più recente</translation>
    </message>
    <message>
        <source>Remove the ticked answers</source>
        <translation>Rimuovi le risposte selezionate</translation>
    </message>
    <message>
        <source>Removed answers</source>
        <translation>Risposte rimosse</translation>
    </message>
    <message>
        <source>Bring the ticked answers back</source>
        <translation>Ripristina le risposte selezionate</translation>
    </message>
    <message numerus="yes">
        <source>%n answers brought back.</source>
        <translation>
            <numerusform>%n risposta ripristinata.</numerusform>
            <numerusform>%n risposte ripristinate.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n answers removed: they are kept below, and can be brought back.</source>
        <translation>
            <numerusform>%n risposta rimossa: è qui sotto e si può ripristinare.</numerusform>
            <numerusform>%n risposte rimosse: sono qui sotto e si possono ripristinare.</numerusform>
        </translation>
    </message>
    <message>
        <source>the database (velmora.removed_answers)</source>
        <translation>il database (velmora.removed_answers)</translation>
    </message>
    <message>
        <source>Closed since %1.</source>
        <translation>Chiuso dal %1.</translation>
    </message>
    <message>
        <source>Open: it closes on %1.</source>
        <translation>Aperto: chiude il %1.</translation>
    </message>
    <message>
        <source>Open.</source>
        <translation>Aperto.</translation>
    </message>
    <message>
        <source>A closed survey&apos;s page says since when it is closed, and the list of surveys leaves it out. Answers sent within %1 minutes of closing, by respondents who were half-way through, are still stored.</source>
        <translation>La pagina di un sondaggio chiuso dice da quando è chiuso, e l’elenco dei sondaggi non lo mostra. Le risposte inviate entro %1 minuti dalla chiusura, da chi stava rispondendo, vengono ancora salvate.</translation>
    </message>
    <message>
        <source>Close at (leave empty for now)</source>
        <translation>Chiudi il (lascia vuoto per adesso)</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Chiudi</translation>
    </message>
    <message>
        <source>Open at (leave empty for now)</source>
        <translation>Apri il (lascia vuoto per adesso)</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Apri</translation>
    </message>
    <message>
        <source>Open and close %1</source>
        <translation>Apri e chiudi %1</translation>
    </message>
    <message>
        <source>Say close or open, now or at a time.</source>
        <translation>Indica chiudi o apri, adesso o a un’ora precisa.</translation>
    </message>
    <message>
        <source>Every question</source>
        <translation>Tutte le domande</translation>
    </message>
    <message>
        <source>Respondents must answer the questions ticked: the survey marks them, and an answer without them is refused with a page that names what is missing, the respondent&apos;s answers still in the form.</source>
        <translation>Bisogna rispondere alle domande selezionate: il sondaggio le segnala, e una risposta senza di esse viene rifiutata con una pagina che indica cosa manca, con le risposte ancora nel modulo.</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Salva</translation>
    </message>
    <message>
        <source>Questions to answer in %1</source>
        <translation>Domande obbligatorie di %1</translation>
    </message>
    <message>
        <source>Saved.</source>
        <translation>Salvato.</translation>
    </message>
    <message>
        <source>Saved: the survey asks for them now.</source>
        <translation>Salvato: il sondaggio ora le richiede.</translation>
    </message>
    <message>
        <source>Not made</source>
        <translation>Non creato</translation>
    </message>
    <message>
        <source>The table cannot be made now: %1</source>
        <translation>La tabella non può essere creata adesso: %1</translation>
    </message>
    <message>
        <source>These options post the same answer, so the page cannot tell them apart: they are counted together.</source>
        <translation>Queste opzioni inviano la stessa risposta, quindi la pagina non può distinguerle: vengono contate insieme.</translation>
    </message>
    <message>
        <source>No answers given.</source>
        <translation>Nessuna risposta data.</translation>
    </message>
    <message numerus="yes">
        <source>%n answers, newest first.</source>
        <translation>
            <numerusform>%n risposta, dalla più recente.</numerusform>
            <numerusform>%n risposte, dalla più recente.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The %n older answers are in the answers file.</source>
        <translation>
            <numerusform>La %n risposta più vecchia è nel file delle risposte.</numerusform>
            <numerusform>Le %n risposte più vecchie sono nel file delle risposte.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n answers</source>
        <translation>
            <numerusform>%n risposta</numerusform>
            <numerusform>%n risposte</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>(%n of them to other versions of the page)</source>
        <translation>
            <numerusform>(%n delle quali ad altre versioni della pagina)</numerusform>
            <numerusform>(%n delle quali ad altre versioni della pagina)</numerusform>
        </translation>
    </message>
    <message>
        <source>, the first received %1, the latest %2</source>
        <translation>, la prima ricevuta il %1, l’ultima il %2</translation>
    </message>
    <message>
        <source>Asked in these words in %1 of the %2 answers: other versions of the page asked it otherwise, or not at all.</source>
        <translation>Posta con queste parole in %1 delle %2 risposte: altre versioni della pagina l’hanno posta diversamente, o per niente.</translation>
    </message>
    <message>
        <source>Asked otherwise in other versions</source>
        <translation>Poste diversamente in altre versioni</translation>
    </message>
    <message>
        <source>Other versions of the page asked these, in other words or with other options; their answers are in those versions&apos; answers files.</source>
        <translation>Altre versioni della pagina hanno posto queste domande con altre parole o altre opzioni; le loro risposte sono nei file di risposte di quelle versioni.</translation>
    </message>
    <message>
        <source>(an answer the page does not offer)</source>
        <translation>(una risposta che la pagina non offre)</translation>
    </message>
    <message>
        <source>(untitled survey)</source>
        <translation>(sondaggio senza titolo)</translation>
    </message>
    <message>
        <source>Summary: %1</source>
        <translation>Riepilogo: %1</translation>
    </message>
    <message>
        <source>Answers are removed on the results link&apos;s own page, not from another site.</source>
        <translation>Le risposte si rimuovono sulla pagina del link dei risultati, non da un altro sito.</translation>
    </message>
    <message>
        <source>Surveys are closed and opened on the results link&apos;s own page, not from another site.</source>
        <translation>I sondaggi si chiudono e si aprono sulla pagina del link dei risultati, non da un altro sito.</translation>
    </message>
    <message>
        <source>Required questions are chosen on the results link&apos;s own page, not from another site.</source>
        <translation>Le domande obbligatorie si scelgono sulla pagina del link dei risultati, non da un altro sito.</translation>
    </message>
</context>
</TS>

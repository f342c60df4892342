<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>Velmora</name>
    <message>
        <source>See the surveys here</source>
        <translation>Voir les enquêtes</translation>
    </message>
    <message>
        <source>Not found</source>
        <translation>Introuvable</translation>
    </message>
    <message>
        <source>There is no survey at this address.</source>
        <translation>Il n’y a pas d’enquête à cette adresse.</translation>
    </message>
    <message>
        <source>This survey</source>
        <translation>Cette enquête</translation>
    </message>
    <message>
        <source>Please go back, shorten it and press FINISHED again: your answers are still in the form.</source>
        <translation>Veuillez revenir en arrière, la raccourcir et appuyer de nouveau sur TERMINÉ : vos réponses sont toujours dans le formulaire.</translation>
    </message>
    <message>
        <source>The answer to %1 can be %2 characters long at most.</source>
        <translation>La réponse à %1 peut compter au plus %2 caractères.</translation>
    </message>
    <message>
        <source>(no question)</source>
        <translation>(pas de question)</translation>
    </message>
    <message>
        <source>A name or an e-mail address can be %1 characters long at most.</source>
        <translation>Un nom ou une adresse e-mail peut compter au plus %1 caractères.</translation>
    </message>
    <message>
        <source>Too large</source>
        <translation>Trop long</translation>
    </message>
    <message>
        <source>%1 has been closed since %2: it takes no more answers. Thank you for your interest.</source>
        <translation>%1 est fermée depuis le %2 : elle ne prend plus de réponses. Merci de votre intérêt.</translation>
    </message>
    <message>
        <source>It opens again on %1.</source>
        <translation>Elle rouvre le %1.</translation>
    </message>
    <message>
        <source>This survey is closed</source>
        <translation>Cette enquête est fermée</translation>
    </message>
    <message>
        <source>This survey has closed</source>
        <translation>Cette enquête a fermé</translation>
    </message>
    <message>
        <source>%1 closed on %2, and your answers were not saved. They are below, and still in the form if you go back, for you to keep.</source>
        <translation>%1 a fermé le %2, et vos réponses n’ont pas été enregistrées. Elles figurent ci-dessous, et toujours dans le formulaire si vous revenez en arrière, pour que vous les gardiez.</translation>
    </message>
    <message>
        <source>(none given)</source>
        <translation>(aucune donnée)</translation>
    </message>
    <message>
        <source>Not from this site</source>
        <translation>Pas depuis ce site</translation>
    </message>
    <message>
        <source>Nothing was changed: %1</source>
        <translation>Rien n’a été modifié : %1</translation>
    </message>
    <message>
        <source>Some answers are missing</source>
        <translation>Des réponses manquent</translation>
    </message>
    <message>
        <source>%1 needs an answer to every question below. Please go back, answer them and press FINISHED again: your answers are still in the form.</source>
        <translation>%1 demande une réponse à chacune des questions ci-dessous. Veuillez revenir en arrière, y répondre et appuyer de nouveau sur TERMINÉ : vos réponses sont toujours dans le formulaire.</translation>
    </message>
    <message>
        <source>Try again</source>
        <translation>Réessayer</translation>
    </message>
    <message>
        <source>Your answers were not saved</source>
        <translation>Vos réponses n’ont pas été enregistrées</translation>
    </message>
    <message>
        <source>Sorry: your answers to %1 could not be saved just now. Please try again in a minute, or go back: your answers are still in the form.</source>
        <translation>Désolé : vos réponses à %1 n’ont pas pu être enregistrées pour l’instant. Veuillez réessayer dans une minute, ou revenir en arrière : vos réponses sont toujours dans le formulaire.</translation>
    </message>
    <message>
        <source>Answers to %1 were already sent from this form, and these are different. Which are they?</source>
        <translation>Des réponses à %1 ont déjà été envoyées depuis ce formulaire, et celles-ci sont différentes. De quoi s’agit-il ?</translation>
    </message>
    <message>
        <source>A correction: replace the answers I sent</source>
        <translation>Une correction : remplacer les réponses envoyées</translation>
    </message>
    <message>
        <source>Someone else&apos;s: keep both</source>
        <translation>Celles d’une autre personne : garder les deux</translation>
    </message>
    <message>
        <source>Or go back: your answers are still in the form.</source>
        <translation>Ou revenez en arrière : vos réponses sont toujours dans le formulaire.</translation>
    </message>
    <message>
        <source>You sent this survey before</source>
        <translation>Vous avez déjà envoyé cette enquête</translation>
    </message>
    <message>
        <source>Thank you</source>
        <translation>Merci</translation>
    </message>
    <message>
        <source>Answer the survey again, as someone else</source>
        <translation>Répondre de nouveau, en tant qu’autre personne</translation>
    </message>
    <message>
        <source>Answer the survey</source>
        <translation>Répondre à l’enquête</translation>
    </message>
    <message>
        <source>Answers to %1</source>
        <translation>Réponses à %1</translation>
    </message>
    <message>
        <source>This page confirms answers to %1 right after they are sent; opened otherwise, it confirms none.</source>
        <translation>Cette page confirme les réponses à %1 juste après leur envoi ; ouverte autrement, elle n’en confirme aucune.</translation>
    </message>
    <message>
        <source>Your answers to %1 were saved. You can close this page.</source>
        <translation>Vos réponses à %1 ont été enregistrées. Vous pouvez fermer cette page.</translation>
    </message>
    <message>
        <source>These answers are larger than any survey needs: a survey takes at most 1 MiB of answers.</source>
        <translation>Ces réponses sont plus volumineuses que ce qu’une enquête demande : une enquête prend au plus 1 Mio de réponses.</translation>
    </message>
    <message>
        <source>Busy, try again in a moment</source>
        <translation>Occupé, réessayez dans un instant</translation>
    </message>
    <message>
        <source>Many people are answering right now. Please wait a moment, then go back and try again: your answers are still in the form.</source>
        <translation>Beaucoup de personnes répondent en ce moment. Veuillez patienter un instant, puis revenir en arrière et réessayer : vos réponses sont toujours dans le formulaire.</translation>
    </message>
    <message>
        <source>No more answers today</source>
        <translation>Plus de réponses aujourd’hui</translation>
    </message>
    <message>
        <source>Too many answers at once</source>
        <translation>Trop de réponses à la fois</translation>
    </message>
    <message>
        <source>This survey has taken all the answers it can store for now. Please come back later, within a day, go back and send them again: your answers are still in the form.</source>
        <translation>Cette enquête a reçu toutes les réponses qu’elle peut enregistrer pour l’instant. Veuillez revenir plus tard, dans la journée, revenir en arrière et les renvoyer : vos réponses sont toujours dans le formulaire.</translation>
    </message>
    <message>
        <source>More answers are arriving than this survey takes at once. Please wait a minute, then go back and send them again: your answers are still in the form.</source>
        <translation>Il arrive plus de réponses que cette enquête n’en prend à la fois. Veuillez patienter une minute, puis revenir en arrière et les renvoyer : vos réponses sont toujours dans le formulaire.</translation>
    </message>
    <message>
        <source>Method not allowed</source>
        <translation>Méthode non autorisée</translation>
    </message>
    <message>
        <source>Answers go to the survey&apos;s own address.</source>
        <translation>Les réponses vont à l’adresse propre de l’enquête.</translation>
    </message>
    <message>
        <source>Surveys are opened and answered here, nothing else.</source>
        <translation>Ici, on ouvre les enquêtes et on y répond, rien d’autre.</translation>
    </message>
    <message>
        <source>Unsupported form</source>
        <translation>Formulaire non pris en charge</translation>
    </message>
    <message>
        <source>Bad form</source>
        <translation>Formulaire incorrect</translation>
    </message>
    <message>
        <source>Answers are sent as an HTML form.</source>
        <translation>Les réponses s’envoient par un formulaire HTML.</translation>
    </message>
    <message>
        <source>The answers did not arrive as this survey&apos;s form.</source>
        <translation>Les réponses ne sont pas arrivées sous la forme du formulaire de cette enquête.</translation>
    </message>
    <message>
        <source>The answers did not arrive as a form.</source>
        <translation>Les réponses ne sont pas arrivées sous forme de formulaire.</translation>
    </message>
    <message>
        <source>The answers hold a NUL character, which cannot be stored. Please go back and remove it.</source>
        <translation>Les réponses contiennent un caractère NUL, qui ne peut pas être enregistré. Veuillez revenir en arrière et le retirer.</translation>
    </message>
    <message>
        <source>Surveys</source>
        <translation>Enquêtes</translation>
    </message>
    <message>
        <source>There are no surveys here yet.</source>
        <translation>Il n’y a pas encore d’enquête ici.</translation>
    </message>
    <message>
        <source>Survey</source>
        <translation>Enquête</translation>
    </message>
    <message>
        <source>Enter your name:</source>
        <translation>Saisissez votre nom :</translation>
    </message>
    <message>
        <source>Enter your email address:</source>
        <translation>Saisissez votre adresse e-mail :</translation>
    </message>
    <message>
        <source>(required)</source>
        <translation>(obligatoire)</translation>
    </message>
    <message>
        <source>FINISHED</source>
        <translation>TERMINÉ</translation>
    </message>
    <message>
        <source>Back to the results</source>
        <translation>Retour aux résultats</translation>
    </message>
    <message>
        <source>None.</source>
        <translation>Aucune.</translation>
    </message>
    <message>
        <source>Tick</source>
        <translation>Cocher</translation>
    </message>
    <message>
        <source>Received</source>
        <translation>Reçue</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nom</translation>
    </message>
    <message>
        <source>E-mail</source>
        <translation>E-mail</translation>
    </message>
    <message>
        <source>Over HTTPS only</source>
        <translation>HTTPS uniquement</translation>
    </message>
    <message>
        <source>The results link works over HTTPS, or on the collector&apos;s own computer.</source>
        <translation>Le lien des résultats fonctionne en HTTPS, ou sur l’ordinateur du collecteur lui-même.</translation>
    </message>
    <message>
        <source>Results are read here, nothing else.</source>
        <translation>Ici, on lit les résultats, rien d’autre.</translation>
    </message>
    <message>
        <source>No answers yet.</source>
        <translation>Pas encore de réponses.</translation>
    </message>
    <message>
        <source>Open and close</source>
        <translation>Ouvrir et fermer</translation>
    </message>
    <message>
        <source>Remove test answers</source>
        <translation>Retirer les réponses de test</translation>
    </message>
    <message>
        <source>Questions respondents must answer</source>
        <translation>Questions auxquelles il faut répondre</translation>
    </message>
    <message>
        <source>The answers themselves are in the database: %1 writes them as answers files.</source>
        <translation>Les réponses elles-mêmes sont dans la base de données : %1 les écrit dans des fichiers de réponses.</translation>
    </message>
    <message>
        <source>Results</source>
        <translation>Résultats</translation>
    </message>
    <message>
        <source>Tick test answers to take them out of the answers file and the summary. They are kept aside in %1, and can be brought back.</source>
        <translation>Cochez les réponses de test pour les retirer du fichier de réponses et du résumé. Elles sont mises de côté dans %1 et peuvent être rétablies.</translation>
    </message>
    <message>
        <source>Answers, newest first</source>
        <translation>Réponses, les plus récentes d’abord</translation>
    </message>
    <message>
        <source>Remove the ticked answers</source>
        <translation>Retirer les réponses cochées</translation>
    </message>
    <message>
        <source>Removed answers</source>
        <translation>Réponses retirées</translation>
    </message>
    <message>
        <source>Bring the ticked answers back</source>
        <translation>Rétablir les réponses cochées</translation>
    </message>
    <message numerus="yes">
        <source>%n answers brought back.</source>
        <translation>
            <numerusform>%n réponse rétablie.</numerusform>
            <numerusform>%n réponses rétablies.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n answers removed: they are kept below, and can be brought back.</source>
        <translation>
            <numerusform>%n réponse retirée : elle figure ci-dessous et peut être rétablie.</numerusform>
            <numerusform>%n réponses retirées : elles figurent ci-dessous et peuvent être rétablies.</numerusform>
        </translation>
    </message>
    <message>
        <source>the database (velmora.removed_answers)</source>
        <translation>la base de données (velmora.removed_answers)</translation>
    </message>
    <message>
        <source>Closed since %1.</source>
        <translation>Fermée depuis le %1.</translation>
    </message>
    <message>
        <source>Open: it closes on %1.</source>
        <translation>Ouverte : elle ferme le %1.</translation>
    </message>
    <message>
        <source>Open.</source>
        <translation>Ouverte.</translation>
    </message>
    <message>
        <source>A closed survey&apos;s page says since when it is closed, and the list of surveys leaves it out. Answers sent within %1 minutes of closing, by respondents who were half-way through, are still stored.</source>
        <translation>La page d’une enquête fermée indique depuis quand elle est fermée, et la liste des enquêtes ne la montre plus. Les réponses envoyées dans les %1 minutes suivant la fermeture, par des personnes qui étaient en train de répondre, sont encore enregistrées.</translation>
    </message>
    <message>
        <source>Close at (leave empty for now)</source>
        <translation>Fermer le (laisser vide pour maintenant)</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Open at (leave empty for now)</source>
        <translation>Ouvrir le (laisser vide pour maintenant)</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Ouvrir</translation>
    </message>
    <message>
        <source>Open and close %1</source>
        <translation>Ouvrir et fermer %1</translation>
    </message>
    <message>
        <source>Say close or open, now or at a time.</source>
        <translation>Indiquez fermer ou ouvrir, maintenant ou à une heure donnée.</translation>
    </message>
    <message>
        <source>Every question</source>
        <translation>Toutes les questions</translation>
    </message>
    <message>
        <source>Respondents must answer the questions ticked: the survey marks them, and an answer without them is refused with a page that names what is missing, the respondent&apos;s answers still in the form.</source>
        <translation>Il faut répondre aux questions cochées : l’enquête les signale, et une réponse sans elles est refusée par une page qui nomme ce qui manque, les réponses restant dans le formulaire.</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Enregistrer</translation>
    </message>
    <message>
        <source>Questions to answer in %1</source>
        <translation>Questions obligatoires de %1</translation>
    </message>
    <message>
        <source>Saved.</source>
        <translation>Enregistré.</translation>
    </message>
    <message>
        <source>Saved: the survey asks for them now.</source>
        <translation>Enregistré : l’enquête les demande désormais.</translation>
    </message>
    <message>
        <source>Not made</source>
        <translation>Non créé</translation>
    </message>
    <message>
        <source>The table cannot be made now: %1</source>
        <translation>Le tableau ne peut pas être créé maintenant : %1</translation>
    </message>
    <message>
        <source>These options post the same answer, so the page cannot tell them apart: they are counted together.</source>
        <translation>Ces options envoient la même réponse, la page ne peut donc pas les distinguer : elles sont comptées ensemble.</translation>
    </message>
    <message>
        <source>No answers given.</source>
        <translation>Aucune réponse donnée.</translation>
    </message>
    <message numerus="yes">
        <source>%n answers, newest first.</source>
        <translation>
            <numerusform>%n réponse, la plus récente d’abord.</numerusform>
            <numerusform>%n réponses, les plus récentes d’abord.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The %n older answers are in the answers file.</source>
        <translation>
            <numerusform>La %n réponse plus ancienne est dans le fichier de réponses.</numerusform>
            <numerusform>Les %n réponses plus anciennes sont dans le fichier de réponses.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n answers</source>
        <translation>
            <numerusform>%n réponse</numerusform>
            <numerusform>%n réponses</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>(%n of them to other versions of the page)</source>
        <translation>
            <numerusform>(dont %n à d’autres versions de la page)</numerusform>
            <numerusform>(dont %n à d’autres versions de la page)</numerusform>
        </translation>
    </message>
    <message>
        <source>, the first received %1, the latest %2</source>
        <translation>, la première reçue le %1, la dernière le %2</translation>
    </message>
    <message>
        <source>Asked in these words in %1 of the %2 answers: other versions of the page asked it otherwise, or not at all.</source>
        <translation>Posée en ces termes dans %1 des %2 réponses : d’autres versions de la page l’ont posée autrement, ou pas du tout.</translation>
    </message>
    <message>
        <source>Asked otherwise in other versions</source>
        <translation>Posées autrement dans d’autres versions</translation>
    </message>
    <message>
        <source>Other versions of the page asked these, in other words or with other options; their answers are in those versions&apos; answers files.</source>
        <translation>D’autres versions de la page ont posé ces questions, en d’autres termes ou avec d’autres options ; leurs réponses sont dans les fichiers de réponses de ces versions.</translation>
    </message>
    <message>
        <source>(an answer the page does not offer)</source>
        <translation>(une réponse que la page ne propose pas)</translation>
    </message>
    <message>
        <source>(untitled survey)</source>
        <translation>(enquête sans titre)</translation>
    </message>
    <message>
        <source>Summary: %1</source>
        <translation>Résumé : %1</translation>
    </message>
    <message>
        <source>Answers are removed on the results link&apos;s own page, not from another site.</source>
        <translation>Les réponses se retirent sur la page du lien des résultats, pas depuis un autre site.</translation>
    </message>
    <message>
        <source>Surveys are closed and opened on the results link&apos;s own page, not from another site.</source>
        <translation>Les enquêtes se ferment et s’ouvrent sur la page du lien des résultats, pas depuis un autre site.</translation>
    </message>
    <message>
        <source>Required questions are chosen on the results link&apos;s own page, not from another site.</source>
        <translation>Les questions obligatoires se choisissent sur la page du lien des résultats, pas depuis un autre site.</translation>
    </message>
</context>
</TS>

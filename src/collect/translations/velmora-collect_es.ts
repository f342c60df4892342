<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es">
<context>
    <name>Velmora</name>
    <message>
        <source>See the surveys here</source>
        <translation>Ver las encuestas</translation>
    </message>
    <message>
        <source>Not found</source>
        <translation>No encontrado</translation>
    </message>
    <message>
        <source>There is no survey at this address.</source>
        <translation>No hay ninguna encuesta en esta dirección.</translation>
    </message>
    <message>
        <source>This survey</source>
        <translation>Esta encuesta</translation>
    </message>
    <message>
        <source>Please go back, shorten it and press FINISHED again: your answers are still in the form.</source>
        <translation>Vuelva atrás, acórtela y pulse de nuevo TERMINADO: sus respuestas siguen en el formulario.</translation>
    </message>
    <message>
        <source>The answer to %1 can be %2 characters long at most.</source>
        <translation>La respuesta a %1 puede tener como máximo %2 caracteres.</translation>
    </message>
    <message>
        <source>(no question)</source>
        <translation>(sin pregunta)</translation>
    </message>
    <message>
        <source>A name or an e-mail address can be %1 characters long at most.</source>
        <translation>Un nombre o una dirección de correo electrónico puede tener como máximo %1 caracteres.</translation>
    </message>
    <message>
        <source>Too large</source>
        <translation>Demasiado largo</translation>
    </message>
    <message>
        <source>%1 has been closed since %2: it takes no more answers. Thank you for your interest.</source>
        <translation>%1 está cerrada desde el %2: ya no admite respuestas. Gracias por su interés.</translation>
    </message>
    <message>
        <source>It opens again on %1.</source>
        <translation>Vuelve a abrirse el %1.</translation>
    </message>
    <message>
        <source>This survey is closed</source>
        <translation>Esta encuesta está cerrada</translation>
    </message>
    <message>
        <source>This survey has closed</source>
        <translation>Esta encuesta se ha cerrado</translation>
    </message>
    <message>
        <source>%1 closed on %2, and your answers were not saved. They are below, and still in the form if you go back, for you to keep.</source>
        <translation>%1 se cerró el %2, y sus respuestas no se guardaron. Están abajo, y siguen en el formulario si vuelve atrás, para que las conserve.</translation>
    </message>
    <message>
        <source>(none given)</source>
        <translation>(ninguna)</translation>
    </message>
    <message>
        <source>Not from this site</source>
        <translation>No desde este sitio</translation>
    </message>
    <message>
        <source>Nothing was changed: %1</source>
        <translation>No se cambió nada: %1</translation>
    </message>
    <message>
        <source>Some answers are missing</source>
        <translation>Faltan algunas respuestas</translation>
    </message>
    <message>
        <source>%1 needs an answer to every question below. Please go back, answer them and press FINISHED again: your answers are still in the form.</source>
        <translation>%1 necesita una respuesta a cada pregunta de abajo. Vuelva atrás, respóndalas y pulse de nuevo TERMINADO: sus respuestas siguen en el formulario.</translation>
    </message>
    <message>
        <source>Try again</source>
        <translation>Intentar de nuevo</translation>
    </message>
    <message>
        <source>Your answers were not saved</source>
        <translation>Sus respuestas no se guardaron</translation>
    </message>
    <message>
        <source>Sorry: your answers to %1 could not be saved just now. Please try again in a minute, or go back: your answers are still in the form.</source>
        <translation>Lo sentimos: sus respuestas a %1 no se han podido guardar ahora. Inténtelo de nuevo dentro de un minuto, o vuelva atrás: sus respuestas siguen en el formulario.</translation>
    </message>
    <message>
        <source>Answers to %1 were already sent from this form, and these are different. Which are they?</source>
        <translation>Ya se enviaron respuestas a %1 desde este formulario, y estas son distintas. ¿Qué son?</translation>
    </message>
    <message>
        <source>A correction: replace the answers I sent</source>
        <translation>Una corrección: sustituir las respuestas que envié</translation>
    </message>
    <message>
        <source>Someone else&apos;s: keep both</source>
        <translation>De otra persona: conservar ambas</translation>
    </message>
    <message>
        <source>Or go back: your answers are still in the form.</source>
        <translation>O vuelva atrás: sus respuestas siguen en el formulario.</translation>
    </message>
    <message>
        <source>You sent this survey before</source>
        <translation>Ya envió esta encuesta</translation>
    </message>
    <message>
        <source>Thank you</source>
        <translation>Gracias</translation>
    </message>
    <message>
        <source>Answer the survey again, as someone else</source>
        <translation>Responder de nuevo, como otra persona</translation>
    </message>
    <message>
        <source>Answer the survey</source>
        <translation>Responder a la encuesta</translation>
    </message>
    <message>
        <source>Answers to %1</source>
        <translation>Respuestas a %1</translation>
    </message>
    <message>
        <source>This page confirms answers to %1 right after they are sent; opened otherwise, it confirms none.</source>
        <translation>Esta página confirma las respuestas a %1 justo después de enviarlas; abierta de otro modo, no confirma ninguna.</translation>
    </message>
    <message>
        <source>Your answers to %1 were saved. You can close this page.</source>
        <translation>Sus respuestas a %1 se guardaron. Puede cerrar esta página.</translation>
    </message>
    <message>
        <source>These answers are larger than any survey needs: a survey takes at most 1 MiB of answers.</source>
        <translation>Estas respuestas son más grandes de lo que necesita cualquier encuesta: una encuesta admite como máximo 1 MiB de respuestas.</translation>
    </message>
    <message>
        <source>Busy, try again in a moment</source>
        <translation>Ocupado, inténtelo de nuevo en un momento</translation>
    </message>
    <message>
        <source>Many people are answering right now. Please wait a moment, then go back and try again: your answers are still in the form.</source>
        <translation>Mucha gente está respondiendo ahora mismo. Espere un momento, luego vuelva atrás e inténtelo de nuevo: sus respuestas siguen en el formulario.</translation>
    </message>
    <message>
        <source>No more answers today</source>
        <translation>No se admiten más respuestas hoy</translation>
    </message>
    <message>
        <source>Too many answers at once</source>
        <translation>Demasiadas respuestas a la vez</translation>
    </message>
    <message>
        <source>This survey has taken all the answers it can store for now. Please come back later, within a day, go back and send them again: your answers are still in the form.</source>
        <translation>Esta encuesta ha recibido todas las respuestas que puede guardar por ahora. Vuelva más tarde, dentro de un día, vuelva atrás y envíelas de nuevo: sus respuestas siguen en el formulario.</translation>
    </message>
    <message>
        <source>More answers are arriving than this survey takes at once. Please wait a minute, then go back and send them again: your answers are still in the form.</source>
        <translation>Llegan más respuestas de las que esta encuesta admite a la vez. Espere un minuto, luego vuelva atrás y envíelas de nuevo: sus respuestas siguen en el formulario.</translation>
    </message>
    <message>
        <source>Method not allowed</source>
        <translation>Método no permitido</translation>
    </message>
    <message>
        <source>Answers go to the survey&apos;s own address.</source>
        <translation>Las respuestas van a la propia dirección de la encuesta.</translation>
    </message>
    <message>
        <source>Surveys are opened and answered here, nothing else.</source>
        <translation>Aquí se abren y se responden encuestas, nada más.</translation>
    </message>
    <message>
        <source>Unsupported form</source>
        <translation>Formulario no admitido</translation>
    </message>
    <message>
        <source>Bad form</source>
        <translation>Formulario incorrecto</translation>
    </message>
    <message>
        <source>Answers are sent as an HTML form.</source>
        <translation>Las respuestas se envían como formulario HTML.</translation>
    </message>
    <message>
        <source>The answers did not arrive as this survey&apos;s form.</source>
        <translation>Las respuestas no llegaron como el formulario de esta encuesta.</translation>
    </message>
    <message>
        <source>The answers did not arrive as a form.</source>
        <translation>Las respuestas no llegaron como formulario.</translation>
    </message>
    <message>
        <source>The answers hold a NUL character, which cannot be stored. Please go back and remove it.</source>
        <translation>Las respuestas contienen un carácter NUL, que no se puede guardar. Vuelva atrás y quítelo.</translation>
    </message>
    <message>
        <source>Surveys</source>
        <translation>Encuestas</translation>
    </message>
    <message>
        <source>There are no surveys here yet.</source>
        <translation>Todavía no hay encuestas aquí.</translation>
    </message>
    <message>
        <source>Survey</source>
        <translation>Encuesta</translation>
    </message>
    <message>
        <source>Enter your name:</source>
        <translation>Escriba su nombre:</translation>
    </message>
    <message>
        <source>Enter your email address:</source>
        <translation>Escriba su dirección de correo electrónico:</translation>
    </message>
    <message>
        <source>(required)</source>
        <translation>(obligatoria)</translation>
    </message>
    <message>
        <source>FINISHED</source>
        <translation>TERMINADO</translation>
    </message>
    <message>
        <source>Back to the results</source>
        <translation>Volver a los resultados</translation>
    </message>
    <message>
        <source>None.</source>
        <translation>Ninguna.</translation>
    </message>
    <message>
        <source>Tick</source>
        <translation>Marcar</translation>
    </message>
    <message>
        <source>Received</source>
        <translation>Recibida</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nombre</translation>
    </message>
    <message>
        <source>E-mail</source>
        <translation>Correo electrónico</translation>
    </message>
    <message>
        <source>Over HTTPS only</source>
        <translation>Solo por HTTPS</translation>
    </message>
    <message>
        <source>The results link works over HTTPS, or on the collector&apos;s own computer.</source>
        <translation>El enlace de resultados funciona por HTTPS, o en el propio ordenador del recopilador.</translation>
    </message>
    <message>
        <source>Results are read here, nothing else.</source>
        <translation>Aquí se leen los resultados, nada más.</translation>
    </message>
    <message>
        <source>No answers yet.</source>
        <translation>Todavía no hay respuestas.</translation>
    </message>
    <message>
        <source>Open and close</source>
        <translation>Abrir y cerrar</translation>
    </message>
    <message>
        <source>Remove test answers</source>
        <translation>Quitar respuestas de prueba</translation>
    </message>
    <message>
        <source>Questions respondents must answer</source>
        <translation>Preguntas que hay que responder</translation>
    </message>
    <message>
        <source>The answers themselves are in the database: %1 writes them as answers files.</source>
        <translation>Las respuestas están en la base de datos: %1 las escribe como archivos de respuestas.</translation>
    </message>
    <message>
        <source>Results</source>
        <translation>Resultados</translation>
    </message>
    <message>
        <source>Tick test answers to take them out of the answers file and the summary. They are kept aside in %1, and can be brought back.</source>
        <translation>Marque las respuestas de prueba para sacarlas del archivo de respuestas y del resumen. Se guardan aparte en %1 y se pueden recuperar.</translation>
    </message>
    <message>
        <source>Answers, newest first</source>
        <translation>Respuestas, las más recientes primero</translation>
    </message>
    <message>
        <source>Remove the ticked answers</source>
        <translation>Quitar las respuestas marcadas</translation>
    </message>
    <message>
        <source>Removed answers</source>
        <translation>Respuestas quitadas</translation>
    </message>
    <message>
        <source>Bring the ticked answers back</source>
        <translation>Recuperar las respuestas marcadas</translation>
    </message>
    <message numerus="yes">
        <source>%n answers brought back.</source>
        <translation>
            <numerusform>%n respuesta recuperada.</numerusform>
            <numerusform>%n respuestas recuperadas.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n answers removed: they are kept below, and can be brought back.</source>
        <translation>
            <numerusform>%n respuesta quitada: está abajo y se puede recuperar.</numerusform>
            <numerusform>%n respuestas quitadas: están abajo y se pueden recuperar.</numerusform>
        </translation>
    </message>
    <message>
        <source>the database (velmora.removed_answers)</source>
        <translation>la base de datos (velmora.removed_answers)</translation>
    </message>
    <message>
        <source>Closed since %1.</source>
        <translation>Cerrada desde el %1.</translation>
    </message>
    <message>
        <source>Open: it closes on %1.</source>
        <translation>Abierta: se cierra el %1.</translation>
    </message>
    <message>
        <source>Open.</source>
        <translation>Abierta.</translation>
    </message>
    <message>
        <source>A closed survey&apos;s page says since when it is closed, and the list of surveys leaves it out. Answers sent within %1 minutes of closing, by respondents who were half-way through, are still stored.</source>
        <translation>La página de una encuesta cerrada dice desde cuándo está cerrada, y la lista de encuestas no la muestra. Las respuestas enviadas en los %1 minutos siguientes al cierre, por personas que estaban respondiendo, se siguen guardando.</translation>
    </message>
    <message>
        <source>Close at (leave empty for now)</source>
        <translation>Cerrar el (dejar vacío para ahora)</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source>Open at (leave empty for now)</source>
        <translation>Abrir el (dejar vacío para ahora)</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Abrir</translation>
    </message>
    <message>
        <source>Open and close %1</source>
        <translation>Abrir y cerrar %1</translation>
    </message>
    <message>
        <source>Say close or open, now or at a time.</source>
        <translation>Indique cerrar o abrir, ahora o a una hora.</translation>
    </message>
    <message>
        <source>Every question</source>
        <translation>Todas las preguntas</translation>
    </message>
    <message>
        <source>Respondents must answer the questions ticked: the survey marks them, and an answer without them is refused with a page that names what is missing, the respondent&apos;s answers still in the form.</source>
        <translation>Hay que responder a las preguntas marcadas: la encuesta las señala, y una respuesta sin ellas se rechaza con una página que dice qué falta, con las respuestas aún en el formulario.</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Guardar</translation>
    </message>
    <message>
        <source>Questions to answer in %1</source>
        <translation>Preguntas obligatorias de %1</translation>
    </message>
    <message>
        <source>Saved.</source>
        <translation>Guardado.</translation>
    </message>
    <message>
        <source>Saved: the survey asks for them now.</source>
        <translation>Guardado: la encuesta las pide ahora.</translation>
    </message>
    <message>
        <source>Not made</source>
        <translation>No creado</translation>
    </message>
    <message>
        <source>The table cannot be made now: %1</source>
        <translation>La tabla no se puede crear ahora: %1</translation>
    </message>
    <message>
        <source>These options post the same answer, so the page cannot tell them apart: they are counted together.</source>
        <translation>Estas opciones envían la misma respuesta, así que la página no puede distinguirlas: se cuentan juntas.</translation>
    </message>
    <message>
        <source>No answers given.</source>
        <translation>No se dio ninguna respuesta.</translation>
    </message>
    <message numerus="yes">
        <source>%n answers, newest first.</source>
        <translation>
            <numerusform>%n respuesta, la más reciente primero.</numerusform>
            <numerusform>%n respuestas, las más recientes primero.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The %n older answers are in the answers file.</source>
        <translation>
            <numerusform>La %n respuesta más antigua está en el archivo de respuestas.</numerusform>
            <numerusform>Las %n respuestas más antiguas están en el archivo de respuestas.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n answers</source>
        <translation>
            <numerusform>%n respuesta</numerusform>
            <numerusform>%n respuestas</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>(%n of them to other versions of the page)</source>
        <translation>
            <numerusform>(%n de ellas a otras versiones de la página)</numerusform>
            <numerusform>(%n de ellas a otras versiones de la página)</numerusform>
        </translation>
    </message>
    <message>
        <source>, the first received %1, the latest %2</source>
        <translation>, la primera recibida el %1, la última el %2</translation>
    </message>
    <message>
        <source>Asked in these words in %1 of the %2 answers: other versions of the page asked it otherwise, or not at all.</source>
        <translation>Preguntada con estas palabras en %1 de las %2 respuestas: otras versiones de la página la preguntaron de otro modo, o no la preguntaron.</translation>
    </message>
    <message>
        <source>Asked otherwise in other versions</source>
        <translation>Preguntadas de otro modo en otras versiones</translation>
    </message>
    <message>
        <source>Other versions of the page asked these, in other words or with other options; their answers are in those versions&apos; answers files.</source>
        <translation>Otras versiones de la página preguntaron esto con otras palabras u otras opciones; sus respuestas están en los archivos de respuestas de esas versiones.</translation>
    </message>
    <message>
        <source>(an answer the page does not offer)</source>
        <translation>(una respuesta que la página no ofrece)</translation>
    </message>
    <message>
        <source>(untitled survey)</source>
        <translation>(encuesta sin título)</translation>
    </message>
    <message>
        <source>Summary: %1</source>
        <translation>Resumen: %1</translation>
    </message>
    <message>
        <source>Answers are removed on the results link&apos;s own page, not from another site.</source>
        <translation>Las respuestas se quitan en la propia página del enlace de resultados, no desde otro sitio.</translation>
    </message>
    <message>
        <source>Surveys are closed and opened on the results link&apos;s own page, not from another site.</source>
        <translation>Las encuestas se cierran y se abren en la propia página del enlace de resultados, no desde otro sitio.</translation>
    </message>
    <message>
        <source>Required questions are chosen on the results link&apos;s own page, not from another site.</source>
        <translation>Las preguntas obligatorias se eligen en la propia página del enlace de resultados, no desde otro sitio.</translation>
    </message>
</context>
</TS>

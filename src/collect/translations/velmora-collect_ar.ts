<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ar">
<context>
    <name>Velmora</name>
    <message>
        <source>See the surveys here</source>
        <translation>عرض الاستبيانات</translation>
    </message>
    <message>
        <source>Not found</source>
        <translation>غير موجود</translation>
    </message>
    <message>
        <source>There is no survey at this address.</source>
        <translation>لا يوجد استبيان في هذا العنوان.</translation>
    </message>
    <message>
        <source>This survey</source>
        <translation>هذا الاستبيان</translation>
    </message>
    <message>
        <source>Please go back, shorten it and press FINISHED again: your answers are still in the form.</source>
        <translation>يُرجى الرجوع واختصارها ثم الضغط على «إنهاء» مرة أخرى: إجاباتك ما زالت في النموذج.</translation>
    </message>
    <message>
        <source>The answer to %1 can be %2 characters long at most.</source>
        <translation>يمكن أن تتكون الإجابة عن %1 من %2 حرف على الأكثر.</translation>
    </message>
    <message>
        <source>(no question)</source>
        <translation>(بلا سؤال)</translation>
    </message>
    <message>
        <source>A name or an e-mail address can be %1 characters long at most.</source>
        <translation>يمكن أن يتكون الاسم أو عنوان البريد الإلكتروني من %1 حرف على الأكثر.</translation>
    </message>
    <message>
        <source>Too large</source>
        <translation>طويل جدًا</translation>
    </message>
    <message>
        <source>%1 has been closed since %2: it takes no more answers. Thank you for your interest.</source>
        <translation>%1 مغلق منذ %2: لم يعد يقبل إجابات. شكرًا لاهتمامك.</translation>
    </message>
    <message>
        <source>It opens again on %1.</source>
        <translation>يُفتح مجددًا في %1.</translation>
    </message>
    <message>
        <source>This survey is closed</source>
        <translation>هذا الاستبيان مغلق</translation>
    </message>
    <message>
        <source>This survey has closed</source>
        <translation>أُغلق هذا الاستبيان</translation>
    </message>
    <message>
        <source>%1 closed on %2, and your answers were not saved. They are below, and still in the form if you go back, for you to keep.</source>
        <translation>أُغلق %1 في %2، ولم تُحفظ إجاباتك. تجدها أدناه، وما زالت في النموذج إن رجعت، لتحتفظ بها.</translation>
    </message>
    <message>
        <source>(none given)</source>
        <translation>(لم يُقدَّم شيء)</translation>
    </message>
    <message>
        <source>Not from this site</source>
        <translation>ليس من هذا الموقع</translation>
    </message>
    <message>
        <source>Nothing was changed: %1</source>
        <translation>لم يتغير شيء: %1</translation>
    </message>
    <message>
        <source>Some answers are missing</source>
        <translation>بعض الإجابات ناقصة</translation>
    </message>
    <message>
        <source>%1 needs an answer to every question below. Please go back, answer them and press FINISHED again: your answers are still in the form.</source>
        <translation>يحتاج %1 إلى إجابة عن كل سؤال أدناه. يُرجى الرجوع والإجابة عنها ثم الضغط على «إنهاء» مرة أخرى: إجاباتك ما زالت في النموذج.</translation>
    </message>
    <message>
        <source>Try again</source>
        <translation>حاول مرة أخرى</translation>
    </message>
    <message>
        <source>Your answers were not saved</source>
        <translation>لم تُحفظ إجاباتك</translation>
    </message>
    <message>
        <source>Sorry: your answers to %1 could not be saved just now. Please try again in a minute, or go back: your answers are still in the form.</source>
        <translation>عذرًا: تعذّر حفظ إجاباتك عن %1 الآن. يُرجى المحاولة مرة أخرى بعد دقيقة، أو الرجوع: إجاباتك ما زالت في النموذج.</translation>
    </message>
    <message>
        <source>Answers to %1 were already sent from this form, and these are different. Which are they?</source>
        <translation>سبق أن أُرسلت إجابات عن %1 من هذا النموذج، وهذه مختلفة. ما هي؟</translation>
    </message>
    <message>
        <source>A correction: replace the answers I sent</source>
        <translation>تصحيح: استبدل الإجابات التي أرسلتها</translation>
    </message>
    <message>
        <source>Someone else&apos;s: keep both</source>
        <translation>إجابات شخص آخر: احتفظ بالاثنتين</translation>
    </message>
    <message>
        <source>Or go back: your answers are still in the form.</source>
        <translation>أو ارجع: إجاباتك ما زالت في النموذج.</translation>
    </message>
    <message>
        <source>You sent this survey before</source>
        <translation>سبق أن أرسلت هذا الاستبيان</translation>
    </message>
    <message>
        <source>Thank you</source>
        <translation>شكرًا لك</translation>
    </message>
    <message>
        <source>Answer the survey again, as someone else</source>
        <translation>أجب عن الاستبيان مرة أخرى، بصفتك شخصًا آخر</translation>
    </message>
    <message>
        <source>Answer the survey</source>
        <translation>أجب عن الاستبيان</translation>
    </message>
    <message>
        <source>Answers to %1</source>
        <translation>إجابات عن %1</translation>
    </message>
    <message>
        <source>This page confirms answers to %1 right after they are sent; opened otherwise, it confirms none.</source>
        <translation>تؤكد هذه الصفحة الإجابات عن %1 فور إرسالها؛ وإذا فُتحت بطريقة أخرى فلا تؤكد شيئًا.</translation>
    </message>
    <message>
        <source>Your answers to %1 were saved. You can close this page.</source>
        <translation>حُفظت إجاباتك عن %1. يمكنك إغلاق هذه الصفحة.</translation>
    </message>
    <message>
        <source>These answers are larger than any survey needs: a survey takes at most 1 MiB of answers.</source>
        <translation>هذه الإجابات أكبر مما يحتاجه أي استبيان: يقبل الاستبيان ١ ميبيبايت من الإجابات على الأكثر.</translation>
    </message>
    <message>
        <source>Busy, try again in a moment</source>
        <translation>مشغول، حاول مرة أخرى بعد لحظة</translation>
    </message>
    <message>
        <source>Many people are answering right now. Please wait a moment, then go back and try again: your answers are still in the form.</source>
        <translation>يجيب كثيرون الآن. يُرجى الانتظار لحظة، ثم الرجوع والمحاولة مرة أخرى: إجاباتك ما زالت في النموذج.</translation>
    </message>
    <message>
        <source>No more answers today</source>
        <translation>لا مزيد من الإجابات اليوم</translation>
    </message>
    <message>
        <source>Too many answers at once</source>
        <translation>إجابات كثيرة جدًا في وقت واحد</translation>
    </message>
    <message>
        <source>This survey has taken all the answers it can store for now. Please come back later, within a day, go back and send them again: your answers are still in the form.</source>
        <translation>تلقى هذا الاستبيان كل ما يمكنه حفظه من إجابات حاليًا. يُرجى العودة لاحقًا، خلال يوم، ثم الرجوع وإرسالها مرة أخرى: إجاباتك ما زالت في النموذج.</translation>
    </message>
    <message>
        <source>More answers are arriving than this survey takes at once. Please wait a minute, then go back and send them again: your answers are still in the form.</source>
        <translation>تصل إجابات أكثر مما يقبله هذا الاستبيان في وقت واحد. يُرجى الانتظار دقيقة، ثم الرجوع وإرسالها مرة أخرى: إجاباتك ما زالت في النموذج.</translation>
    </message>
    <message>
        <source>Method not allowed</source>
        <translation>الطريقة غير مسموح بها</translation>
    </message>
    <message>
        <source>Answers go to the survey&apos;s own address.</source>
        <translation>تُرسل الإجابات إلى عنوان الاستبيان نفسه.</translation>
    </message>
    <message>
        <source>Surveys are opened and answered here, nothing else.</source>
        <translation>هنا تُفتح الاستبيانات ويُجاب عنها، لا غير.</translation>
    </message>
    <message>
        <source>Unsupported form</source>
        <translation>نموذج غير مدعوم</translation>
    </message>
    <message>
        <source>Bad form</source>
        <translation>نموذج غير صالح</translation>
    </message>
    <message>
        <source>Answers are sent as an HTML form.</source>
        <translation>تُرسل الإجابات بنموذج HTML.</translation>
    </message>
    <message>
        <source>The answers did not arrive as this survey&apos;s form.</source>
        <translation>لم تصل الإجابات بنموذج هذا الاستبيان.</translation>
    </message>
    <message>
        <source>The answers did not arrive as a form.</source>
        <translation>لم تصل الإجابات على شكل نموذج.</translation>
    </message>
    <message>
        <source>The answers hold a NUL character, which cannot be stored. Please go back and remove it.</source>
        <translation>تحتوي الإجابات على محرف NUL الذي لا يمكن حفظه. يُرجى الرجوع وحذفه.</translation>
    </message>
    <message>
        <source>Surveys</source>
        <translation>الاستبيانات</translation>
    </message>
    <message>
        <source>There are no surveys here yet.</source>
        <translation>لا توجد استبيانات هنا بعد.</translation>
    </message>
    <message>
        <source>Survey</source>
        <translation>استبيان</translation>
    </message>
    <message>
        <source>Enter your name:</source>
        <translation>أدخل اسمك:</translation>
    </message>
    <message>
        <source>Enter your email address:</source>
        <translation>أدخل عنوان بريدك الإلكتروني:</translation>
    </message>
    <message>
        <source>(required)</source>
        <translation>(مطلوب)</translation>
    </message>
    <message>
        <source>FINISHED</source>
        <translation>إنهاء</translation>
    </message>
    <message>
        <source>Back to the results</source>
        <translation>العودة إلى النتائج</translation>
    </message>
    <message>
        <source>None.</source>
        <translation>لا شيء.</translation>
    </message>
    <message>
        <source>Tick</source>
        <translation>تحديد</translation>
    </message>
    <message>
        <source>Received</source>
        <translation>تاريخ الاستلام</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>الاسم</translation>
    </message>
    <message>
        <source>E-mail</source>
        <translation>البريد الإلكتروني</translation>
    </message>
    <message>
        <source>Over HTTPS only</source>
        <translation>عبر HTTPS فقط</translation>
    </message>
    <message>
        <source>The results link works over HTTPS, or on the collector&apos;s own computer.</source>
        <translation>يعمل رابط النتائج عبر HTTPS، أو على حاسوب الجامع نفسه.</translation>
    </message>
    <message>
        <source>Results are read here, nothing else.</source>
        <translation>هنا تُقرأ النتائج، لا غير.</translation>
    </message>
    <message>
        <source>No answers yet.</source>
        <translation>لا إجابات بعد.</translation>
    </message>
    <message>
        <source>Open and close</source>
        <translation>الفتح والإغلاق</translation>
    </message>
    <message>
        <source>Remove test answers</source>
        <translation>حذف إجابات الاختبار</translation>
    </message>
    <message>
        <source>Questions respondents must answer</source>
        <translation>الأسئلة التي تجب الإجابة عنها</translation>
    </message>
    <message>
        <source>The answers themselves are in the database: %1 writes them as answers files.</source>
        <translation>الإجابات نفسها في قاعدة البيانات: يكتبها %1 في ملفات إجابات.</translation>
    </message>
    <message>
        <source>Results</source>
        <translation>النتائج</translation>
    </message>
    <message>
        <source>Tick test answers to take them out of the answers file and the summary. They are kept aside in %1, and can be brought back.</source>
        <translation>حدِّد إجابات الاختبار لإخراجها من ملف الإجابات ومن الملخص. تُحفظ جانبًا في %1، ويمكن استعادتها.</translation>
    </message>
    <message>
        <source>Answers, newest first</source>
        <translation>الإجابات، الأحدث أولًا</translation>
    </message>
    <message>
        <source>Remove the ticked answers</source>
        <translation>احذف الإجابات المحددة</translation>
    </message>
    <message>
        <source>Removed answers</source>
        <translation>الإجابات المحذوفة</translation>
    </message>
    <message>
        <source>Bring the ticked answers back</source>
        <translation>استعد الإجابات المحددة</translation>
    </message>
    <message numerus="yes">
        <source>%n answers brought back.</source>
        <translation>
            <numerusform>لم تُستعد أي إجابة.</numerusform>
            <numerusform>استُعيدت إجابة واحدة.</numerusform>
            <numerusform>استُعيدت إجابتان.</numerusform>
            <numerusform>استُعيدت %n إجابات.</numerusform>
            <numerusform>استُعيدت %n إجابة.</numerusform>
            <numerusform>استُعيدت %n إجابة.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n answers removed: they are kept below, and can be brought back.</source>
        <translation>
            <numerusform>لم تُحذف أي إجابة.</numerusform>
            <numerusform>حُذفت إجابة واحدة: تجدها أدناه، ويمكن استعادتها.</numerusform>
            <numerusform>حُذفت إجابتان: تجدهما أدناه، ويمكن استعادتهما.</numerusform>
            <numerusform>حُذفت %n إجابات: تجدها أدناه، ويمكن استعادتها.</numerusform>
            <numerusform>حُذفت %n إجابة: تجدها أدناه، ويمكن استعادتها.</numerusform>
            <numerusform>حُذفت %n إجابة: تجدها أدناه، ويمكن استعادتها.</numerusform>
        </translation>
    </message>
    <message>
        <source>the database (velmora.removed_answers)</source>
        <translation>قاعدة البيانات (velmora.removed_answers)</translation>
    </message>
    <message>
        <source>Closed since %1.</source>
        <translation>مغلق منذ %1.</translation>
    </message>
    <message>
        <source>Open: it closes on %1.</source>
        <translation>مفتوح: يُغلق في %1.</translation>
    </message>
    <message>
        <source>Open.</source>
        <translation>مفتوح.</translation>
    </message>
    <message>
        <source>A closed survey&apos;s page says since when it is closed, and the list of surveys leaves it out. Answers sent within %1 minutes of closing, by respondents who were half-way through, are still stored.</source>
        <translation>تذكر صفحة الاستبيان المغلق منذ متى أُغلق، ولا تعرضه قائمة الاستبيانات. الإجابات المرسلة خلال %1 دقيقة من الإغلاق، ممن كانوا في منتصف الإجابة، تُحفظ مع ذلك.</translation>
    </message>
    <message>
        <source>Close at (leave empty for now)</source>
        <translation>الإغلاق في (اتركه فارغًا للإغلاق الآن)</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>إغلاق</translation>
    </message>
    <message>
        <source>Open at (leave empty for now)</source>
        <translation>الفتح في (اتركه فارغًا للفتح الآن)</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>فتح</translation>
    </message>
    <message>
        <source>Open and close %1</source>
        <translation>فتح %1 وإغلاقه</translation>
    </message>
    <message>
        <source>Say close or open, now or at a time.</source>
        <translation>حدِّد الإغلاق أو الفتح، الآن أو في وقت محدد.</translation>
    </message>
    <message>
        <source>Every question</source>
        <translation>كل الأسئلة</translation>
    </message>
    <message>
        <source>Respondents must answer the questions ticked: the survey marks them, and an answer without them is refused with a page that names what is missing, the respondent&apos;s answers still in the form.</source>
        <translation>على المجيبين الإجابة عن الأسئلة المحددة: يميّزها الاستبيان، وتُرفض الإجابة التي تخلو منها بصفحة تذكر ما ينقص، وتبقى الإجابات في النموذج.</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>حفظ</translation>
    </message>
    <message>
        <source>Questions to answer in %1</source>
        <translation>الأسئلة المطلوبة في %1</translation>
    </message>
    <message>
        <source>Saved.</source>
        <translation>حُفظ.</translation>
    </message>
    <message>
        <source>Saved: the survey asks for them now.</source>
        <translation>حُفظ: يطلبها الاستبيان الآن.</translation>
    </message>
    <message>
        <source>Not made</source>
        <translation>لم يُنشأ</translation>
    </message>
    <message>
        <source>The table cannot be made now: %1</source>
        <translation>لا يمكن إنشاء الجدول الآن: %1</translation>
    </message>
    <message>
        <source>These options post the same answer, so the page cannot tell them apart: they are counted together.</source>
        <translation>ترسل هذه الخيارات الإجابة نفسها، فلا تستطيع الصفحة التمييز بينها: تُحسب معًا.</translation>
    </message>
    <message>
        <source>No answers given.</source>
        <translation>لم تُقدَّم إجابات.</translation>
    </message>
    <message numerus="yes">
        <source>%n answers, newest first.</source>
        <translation>
            <numerusform>%n إجابة، الأحدث أولًا.</numerusform>
            <numerusform>إجابة واحدة، الأحدث أولًا.</numerusform>
            <numerusform>إجابتان، الأحدث أولًا.</numerusform>
            <numerusform>%n إجابات، الأحدث أولًا.</numerusform>
            <numerusform>%n إجابة، الأحدث أولًا.</numerusform>
            <numerusform>%n إجابة، الأحدث أولًا.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The %n older answers are in the answers file.</source>
        <translation>
            <numerusform>الإجابات الأقدم، وعددها %n، في ملف الإجابات.</numerusform>
            <numerusform>الإجابة الأقدم في ملف الإجابات.</numerusform>
            <numerusform>الإجابتان الأقدم في ملف الإجابات.</numerusform>
            <numerusform>الإجابات الأقدم، وعددها %n، في ملف الإجابات.</numerusform>
            <numerusform>الإجابات الأقدم، وعددها %n، في ملف الإجابات.</numerusform>
            <numerusform>الإجابات الأقدم، وعددها %n، في ملف الإجابات.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n answers</source>
        <translation>
            <numerusform>%n إجابة</numerusform>
            <numerusform>إجابة واحدة</numerusform>
            <numerusform>إجابتان</numerusform>
            <numerusform>%n إجابات</numerusform>
            <numerusform>%n إجابة</numerusform>
            <numerusform>%n إجابة</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>(%n of them to other versions of the page)</source>
        <translation>
            <numerusform>(منها %n لنسخ أخرى من الصفحة)</numerusform>
            <numerusform>(منها إجابة واحدة لنسخة أخرى من الصفحة)</numerusform>
            <numerusform>(منها إجابتان لنسخ أخرى من الصفحة)</numerusform>
            <numerusform>(منها %n لنسخ أخرى من الصفحة)</numerusform>
            <numerusform>(منها %n لنسخ أخرى من الصفحة)</numerusform>
            <numerusform>(منها %n لنسخ أخرى من الصفحة)</numerusform>
        </translation>
    </message>
    <message>
        <source>, the first received %1, the latest %2</source>
        <translation>، وصلت الأولى في %1، والأخيرة في %2</translation>
    </message>
    <message>
        <source>Asked in these words in %1 of the %2 answers: other versions of the page asked it otherwise, or not at all.</source>
        <translation>سُئل بهذه الكلمات في %1 من أصل %2 إجابة: سألته نسخ أخرى من الصفحة بطريقة أخرى، أو لم تسأله.</translation>
    </message>
    <message>
        <source>Asked otherwise in other versions</source>
        <translation>أسئلة طُرحت بطريقة أخرى في نسخ أخرى</translation>
    </message>
    <message>
        <source>Other versions of the page asked these, in other words or with other options; their answers are in those versions&apos; answers files.</source>
        <translation>طرحت نسخ أخرى من الصفحة هذه الأسئلة بكلمات أخرى أو بخيارات أخرى؛ إجاباتها في ملفات إجابات تلك النسخ.</translation>
    </message>
    <message>
        <source>(an answer the page does not offer)</source>
        <translation>(إجابة لا تعرضها الصفحة)</translation>
    </message>
    <message>
        <source>(untitled survey)</source>
        <translation>(استبيان بلا عنوان)</translation>
    </message>
    <message>
        <source>Summary: %1</source>
        <translation>الملخص: %1</translation>
    </message>
    <message>
        <source>Answers are removed on the results link&apos;s own page, not from another site.</source>
        <translation>تُحذف الإجابات من صفحة رابط النتائج نفسها، لا من موقع آخر.</translation>
    </message>
    <message>
        <source>Surveys are closed and opened on the results link&apos;s own page, not from another site.</source>
        <translation>تُغلق الاستبيانات وتُفتح من صفحة رابط النتائج نفسها، لا من موقع آخر.</translation>
    </message>
    <message>
        <source>Required questions are chosen on the results link&apos;s own page, not from another site.</source>
        <translation>تُختار الأسئلة المطلوبة من صفحة رابط النتائج نفسها، لا من موقع آخر.</translation>
    </message>
</context>
</TS>

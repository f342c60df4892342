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
        <source>%1 on the results link&apos;s own page, not from another site.</source>
        <translation>%1 في صفحة رابط النتائج نفسها، لا من موقع آخر.</translation>
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
</context>
</TS>

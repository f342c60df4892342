<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>Velmora</name>
    <message numerus="yes">
        <source>%n answers brought back.</source>
        <translation>
            <numerusform>%n answer brought back.</numerusform>
            <numerusform>%n answers brought back.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n answers removed: they are kept below, and can be brought back.</source>
        <translation>
            <numerusform>%n answer removed: it is kept below, and can be brought back.</numerusform>
            <numerusform>%n answers removed: they are kept below, and can be brought back.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n answers, newest first.</source>
        <translation>
            <numerusform>%n answer.</numerusform>
            <numerusform>%n answers, newest first.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The %n older answers are in the answers file.</source>
        <translation>
            <numerusform>The %n older answer is in the answers file.</numerusform>
            <numerusform>The %n older answers are in the answers file.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n answers</source>
        <translation>
            <numerusform>%n answer</numerusform>
            <numerusform>%n answers</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>(%n of them to other versions of the page)</source>
        <translation>
            <numerusform>(%n of them to another version of the page)</numerusform>
            <numerusform>(%n of them to other versions of the page)</numerusform>
        </translation>
    </message>
</context>
</TS>

<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>Velmora</name>
    <message>
        <source>Velmora Application Cannot Be Shredded</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Only Folder Can Be Shredded</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Velmora Cannot Be Shredded</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Window System Folder Cannot Be Shredded</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Window Folder Cannot Be Shredded</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose A File ....</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>These could not be put on the shred list:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>

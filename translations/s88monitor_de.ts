<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="da">
<context>
    <name>DiagArea</name>
    <message>
        <source>&amp;Ryd</source>
        <translation>&amp;Leeren</translation>
    </message>
    <message>
        <source>&amp;Gem CSV…</source>
        <translation>CSV s&amp;ichern…</translation>
    </message>
    <message>
        <source>Gem de viste skift i en fil</source>
        <translation>Die angezeigten Wechsel in einer Datei speichern</translation>
    </message>
    <message>
        <source>&amp;Optag</source>
        <translation>&amp;Aufnehmen</translation>
    </message>
    <message>
        <source>G&amp;ennemgang…</source>
        <translation>&amp;Durchgehen…</translation>
    </message>
    <message>
        <source>&amp;Tidslinje…</source>
        <translation>&amp;Zeitlinie…</translation>
    </message>
    <message>
        <source>&amp;Navne…</source>
        <translation>&amp;Namen…</translation>
    </message>
    <message>
        <source>&amp;Historik…</source>
        <translation>&amp;Verlauf…</translation>
    </message>
    <message>
        <source>Skiftene i et vindue for sig, som kan gøres stort</source>
        <translation>Die Wechsel in einem eigenen Fenster, das sich vergrößern lässt</translation>
    </message>
    <message>
        <source>&amp;MQTT…</source>
        <translation>&amp;MQTT…</translation>
    </message>
    <message>
        <source>Forbindelsen til en MQTT-broker</source>
        <translation>Die Verbindung zu einem MQTT-Broker</translation>
    </message>
    <message>
        <source>&amp;Visning…</source>
        <translation>An&amp;sicht…</translation>
    </message>
    <message>
        <source>Sprog, zoom og farvehjælp</source>
        <translation>Sprache, Zoom und Farbhilfe</translation>
    </message>
    <message>
        <source>&amp;Læs op</source>
        <translation>V&amp;orlesen</translation>
    </message>
</context>
<context>
    <name>HistoryList</name>
    <message>
        <source>til</source>
        <translation>an</translation>
    </message>
    <message>
        <source>fra</source>
        <translation>aus</translation>
    </message>
    <message>
        <source>Tid, indgang, %1tilstand og tid siden indgangens forrige skift</source>
        <translation>Zeit, Eingang, %1Zustand und Zeit seit dem vorigen Wechsel des Eingangs</translation>
    </message>
    <message>
        <source>modul.kontakt, </source>
        <translation>Modul.Kontakt, </translation>
    </message>
</context>
<context>
    <name>HistoryWindow</name>
    <message>
        <source>Historik</source>
        <translation>Verlauf</translation>
    </message>
    <message>
        <source>Vis kun en indgang (73), et interval (33-48) eller et modul (m5); flere adskilt med komma</source>
        <translation>Nur einen Eingang (73), einen Bereich (33-48) oder ein Modul (m5) zeigen; mehrere durch Komma getrennt</translation>
    </message>
    <message>
        <source>&amp;Filter</source>
        <translation>&amp;Filter</translation>
    </message>
</context>
<context>
    <name>ViewDialog</name>
    <message>
        <source>Visning</source>
        <translation>Ansicht</translation>
    </message>
    <message>
        <source>følg skærmen</source>
        <translation>wie der Bildschirm</translation>
    </message>
    <message>
        <source>&amp;Farvehjælp</source>
        <translation>&amp;Farbhilfe</translation>
    </message>
    <message>
        <source>Tegn på lamperne og i listen, så tilstanden ikke kun ses på farven</source>
        <translation>Zeichen auf den Lampen und in der Liste, damit der Zustand nicht nur an der Farbe zu erkennen ist</translation>
    </message>
    <message>
        <source>&amp;Sprog</source>
        <translation>&amp;Sprache</translation>
    </message>
    <message>
        <source>&amp;Zoom</source>
        <translation>&amp;Zoom</translation>
    </message>
    <message>
        <source>Sprog og zoom gælder fra næste start.</source>
        <translation>Sprache und Zoom gelten ab dem nächsten Start.</translation>
    </message>
    <message>
        <source>&amp;Luk</source>
        <translation>S&amp;chließen</translation>
    </message>
    <message>
        <source>Visningen kan ikke gemmes: %1</source>
        <translation>Die Ansicht kann nicht gespeichert werden: %1</translation>
    </message>
</context>
</TS>

<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="da">
<context>
    <name>DiagArea</name>
    <message>
        <source>&amp;Ryd</source>
        <translation>&amp;Clear</translation>
    </message>
    <message>
        <source>&amp;Gem CSV…</source>
        <translation>&amp;Save CSV…</translation>
    </message>
    <message>
        <source>Gem de viste skift i en fil</source>
        <translation>Save the changes shown to a file</translation>
    </message>
    <message>
        <source>&amp;Optag</source>
        <translation>&amp;Record</translation>
    </message>
    <message>
        <source>G&amp;ennemgang…</source>
        <translation>&amp;Walk test…</translation>
    </message>
    <message>
        <source>&amp;Tidslinje…</source>
        <translation>&amp;Timeline…</translation>
    </message>
    <message>
        <source>&amp;Navne…</source>
        <translation>&amp;Names…</translation>
    </message>
    <message>
        <source>&amp;Historik…</source>
        <translation>&amp;History…</translation>
    </message>
    <message>
        <source>Skiftene i et vindue for sig, som kan gøres stort</source>
        <translation>The changes in a window of their own that can be enlarged</translation>
    </message>
    <message>
        <source>&amp;MQTT…</source>
        <translation>&amp;MQTT…</translation>
    </message>
    <message>
        <source>Forbindelsen til en MQTT-broker</source>
        <translation>The connection to an MQTT broker</translation>
    </message>
    <message>
        <source>&amp;Visning…</source>
        <translation>&amp;View…</translation>
    </message>
    <message>
        <source>Sprog, zoom og farvehjælp</source>
        <translation>Language, zoom and colour help</translation>
    </message>
    <message>
        <source>&amp;Læs op</source>
        <translation>Read &amp;aloud</translation>
    </message>
</context>
<context>
    <name>HistoryList</name>
    <message>
        <source>til</source>
        <translation>on</translation>
    </message>
    <message>
        <source>fra</source>
        <translation>off</translation>
    </message>
    <message>
        <source>Tid, indgang, %1tilstand og tid siden indgangens forrige skift</source>
        <translation>Time, input, %1state and time since the input&apos;s previous change</translation>
    </message>
    <message>
        <source>modul.kontakt, </source>
        <translation>module.contact, </translation>
    </message>
</context>
<context>
    <name>HistoryWindow</name>
    <message>
        <source>Historik</source>
        <translation>History</translation>
    </message>
    <message>
        <source>Vis kun en indgang (73), et interval (33-48) eller et modul (m5); flere adskilt med komma</source>
        <translation>Show only an input (73), a range (33-48) or a module (m5); several separated by commas</translation>
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
        <translation>View</translation>
    </message>
    <message>
        <source>følg skærmen</source>
        <translation>follow the screen</translation>
    </message>
    <message>
        <source>&amp;Farvehjælp</source>
        <translation>&amp;Colour help</translation>
    </message>
    <message>
        <source>Tegn på lamperne og i listen, så tilstanden ikke kun ses på farven</source>
        <translation>Marks on the lamps and in the list, so the state is not told by colour alone</translation>
    </message>
    <message>
        <source>&amp;Sprog</source>
        <translation>&amp;Language</translation>
    </message>
    <message>
        <source>&amp;Zoom</source>
        <translation>&amp;Zoom</translation>
    </message>
    <message>
        <source>Sprog og zoom gælder fra næste start.</source>
        <translation>Language and zoom take effect at the next start.</translation>
    </message>
    <message>
        <source>&amp;Luk</source>
        <translation>Cl&amp;ose</translation>
    </message>
    <message>
        <source>Visningen kan ikke gemmes: %1</source>
        <translation>The view settings cannot be saved: %1</translation>
    </message>
</context>
</TS>

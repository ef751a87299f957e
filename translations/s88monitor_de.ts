<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="da">
<context>
    <name>BridgeControl</name>
    <message>
        <source>MQTT kan ikke startes: %1</source>
        <translation>MQTT kann nicht starten: %1</translation>
    </message>
    <message>
        <source>MQTT: fra</source>
        <translation>MQTT: aus</translation>
    </message>
    <message>
        <source>%1 (--mqtt på kommandolinjen)</source>
        <translation>%1 (--mqtt auf der Kommandozeile)</translation>
    </message>
</context>
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
    <name>MqttSettings</name>
    <message>
        <source>%1 kan ikke fjernes</source>
        <translation>%1 kann nicht entfernt werden</translation>
    </message>
    <message>
        <source>%1: rettighederne kan ikke sættes</source>
        <translation>%1: die Rechte können nicht gesetzt werden</translation>
    </message>
</context>
<context>
    <name>MqttWindow</name>
    <message>
        <source>Certifikater (*.pem *.crt);;Alle filer (*)</source>
        <translation>Zertifikate (*.pem *.crt);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>MQTT</source>
        <translation>MQTT</translation>
    </message>
    <message>
        <source>mqtt://[bruger@]vært[:port][/præfiks]</source>
        <translation>mqtt://[benutzer@]host[:port][/präfix]</translation>
    </message>
    <message>
        <source>systemets</source>
        <translation>die des Systems</translation>
    </message>
    <message>
        <source>Vælg…</source>
        <translation>Wählen…</translation>
    </message>
    <message>
        <source>tom: S88_MQTT_PASSWORD</source>
        <translation>leer: S88_MQTT_PASSWORD</translation>
    </message>
    <message>
        <source>Gemmes i en fil for sig, som kun du kan læse, aldrig i indstillingsfilen.</source>
        <translation>Wird in einer eigenen Datei gespeichert, die nur der Eigentümer lesen kann, nie in der Einstellungsdatei.</translation>
    </message>
    <message>
        <source>Home Assistant-discovery</source>
        <translation>Home-Assistant-Discovery</translation>
    </message>
    <message>
        <source>Kommandoer (antal moduler over MQTT)</source>
        <translation>Befehle (Modulanzahl über MQTT)</translation>
    </message>
    <message>
        <source>Til: send indgangene til brokeren</source>
        <translation>Ein: die Eingänge an den Broker senden</translation>
    </message>
    <message>
        <source>Anvend</source>
        <translation>Anwenden</translation>
    </message>
    <message>
        <source>Luk</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Broker:</source>
        <translation>Broker:</translation>
    </message>
    <message>
        <source>CA-fil (mqtts):</source>
        <translation>CA-Datei (mqtts):</translation>
    </message>
    <message>
        <source>Adgangskode:</source>
        <translation>Passwort:</translation>
    </message>
    <message>
        <source>Tilstand:</source>
        <translation>Zustand:</translation>
    </message>
    <message>
        <source>CA-fil til mqtts</source>
        <translation>CA-Datei für mqtts</translation>
    </message>
    <message>
        <source>Adressen kan ikke bruges: %1</source>
        <translation>Die Adresse ist nicht verwendbar: %1</translation>
    </message>
    <message>
        <source>CA-filen %1 kan ikke læses</source>
        <translation>Die CA-Datei %1 kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>Adgangskoden kunne ikke gemmes: %1</source>
        <translation>Das Passwort konnte nicht gespeichert werden: %1</translation>
    </message>
    <message>
        <source>MQTT-indstillingen kunne ikke gemmes: %1</source>
        <translation>Die MQTT-Einstellung konnte nicht gespeichert werden: %1</translation>
    </message>
    <message>
        <source>Adressen er for lang (højst %1 tegn)</source>
        <translation>Die Adresse ist zu lang (höchstens %1 Zeichen)</translation>
    </message>
    <message>
        <source>CA-filens sti er for lang (højst %1 tegn)</source>
        <translation>Der Pfad der CA-Datei ist zu lang (höchstens %1 Zeichen)</translation>
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
<context>
    <name>main</name>
    <message>
        <source>--mqtt-password-file %1: %2</source>
        <translation>--mqtt-password-file %1: %2</translation>
    </message>
</context>
</TS>

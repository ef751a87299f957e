<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="da">
<context>
    <name>BridgeControl</name>
    <message>
        <source>MQTT kan ikke startes: %1</source>
        <translation>MQTT cannot start: %1</translation>
    </message>
    <message>
        <source>MQTT: fra</source>
        <translation>MQTT: off</translation>
    </message>
    <message>
        <source>%1 (--mqtt på kommandolinjen)</source>
        <translation>%1 (--mqtt on the command line)</translation>
    </message>
</context>
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
    <name>MqttSettings</name>
    <message>
        <source>%1 kan ikke fjernes</source>
        <translation>%1 cannot be removed</translation>
    </message>
    <message>
        <source>%1: rettighederne kan ikke sættes</source>
        <translation>%1: the permissions cannot be set</translation>
    </message>
</context>
<context>
    <name>MqttWindow</name>
    <message>
        <source>Certifikater (*.pem *.crt);;Alle filer (*)</source>
        <translation>Certificates (*.pem *.crt);;All files (*)</translation>
    </message>
    <message>
        <source>MQTT</source>
        <translation>MQTT</translation>
    </message>
    <message>
        <source>mqtt://[bruger@]vært[:port][/præfiks]</source>
        <translation>mqtt://[user@]host[:port][/prefix]</translation>
    </message>
    <message>
        <source>systemets</source>
        <translation>the system&apos;s</translation>
    </message>
    <message>
        <source>Vælg…</source>
        <translation>Choose…</translation>
    </message>
    <message>
        <source>tom: S88_MQTT_PASSWORD</source>
        <translation>empty: S88_MQTT_PASSWORD</translation>
    </message>
    <message>
        <source>Gemmes i en fil for sig, som kun du kan læse, aldrig i indstillingsfilen.</source>
        <translation>Kept in a file of its own that only you can read, never in the settings file.</translation>
    </message>
    <message>
        <source>Home Assistant-discovery</source>
        <translation>Home Assistant discovery</translation>
    </message>
    <message>
        <source>Kommandoer (antal moduler over MQTT)</source>
        <translation>Commands (module counts over MQTT)</translation>
    </message>
    <message>
        <source>Til: send indgangene til brokeren</source>
        <translation>On: send the inputs to the broker</translation>
    </message>
    <message>
        <source>Anvend</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>Luk</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Broker:</source>
        <translation>Broker:</translation>
    </message>
    <message>
        <source>CA-fil (mqtts):</source>
        <translation>CA file (mqtts):</translation>
    </message>
    <message>
        <source>Adgangskode:</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>Tilstand:</source>
        <translation>State:</translation>
    </message>
    <message>
        <source>CA-fil til mqtts</source>
        <translation>CA file for mqtts</translation>
    </message>
    <message>
        <source>Adressen kan ikke bruges: %1</source>
        <translation>The address cannot be used: %1</translation>
    </message>
    <message>
        <source>CA-filen %1 kan ikke læses</source>
        <translation>The CA file %1 cannot be read</translation>
    </message>
    <message>
        <source>Adgangskoden kunne ikke gemmes: %1</source>
        <translation>The password could not be saved: %1</translation>
    </message>
    <message>
        <source>MQTT-indstillingen kunne ikke gemmes: %1</source>
        <translation>The MQTT setting could not be saved: %1</translation>
    </message>
    <message>
        <source>Adressen er for lang (højst %1 tegn)</source>
        <translation>The address is too long (at most %1 characters)</translation>
    </message>
    <message>
        <source>CA-filens sti er for lang (højst %1 tegn)</source>
        <translation>The CA file&apos;s path is too long (at most %1 characters)</translation>
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
<context>
    <name>main</name>
    <message>
        <source>--mqtt-password-file %1: %2</source>
        <translation>--mqtt-password-file %1: %2</translation>
    </message>
</context>
</TS>

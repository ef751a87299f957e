<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="da">
<context>
    <name>Bridge</name>
    <message>
        <source>mqtt: connecting to %1</source>
        <translation>mqtt: connecting to %1</translation>
    </message>
    <message>
        <source>mqtt: disconnected from %1</source>
        <translation>mqtt: disconnected from %1</translation>
    </message>
    <message>
        <source>MQTT: forbundet til %1</source>
        <translation>MQTT: connected to %1</translation>
    </message>
    <message>
        <source>MQTT: forbinder til %1</source>
        <translation>MQTT: connecting to %1</translation>
    </message>
    <message>
        <source>, %1 holdt tilbage</source>
        <translation>, %1 held back</translation>
    </message>
    <message>
        <source>, %1 tabt</source>
        <translation>, %1 lost</translation>
    </message>
    <message>
        <source>mqtt: connected to %1</source>
        <translation>mqtt: connected to %1</translation>
    </message>
    <message>
        <source>mqtt: %1 not reachable: %2; trying again</source>
        <translation>mqtt: %1 not reachable: %2; trying again</translation>
    </message>
    <message>
        <source>mqtt: en anden tavle udgiver allerede under præfikset %1 (%2 er online); giv denne sit eget: --mqtt %3/PRÆFIKS</source>
        <translation>mqtt: another board already publishes under the prefix %1 (%2 is online); give this one its own: --mqtt %3/PREFIX</translation>
    </message>
    <message>
        <source>mqtt: en anden klient udgiver på %1; den sande tilstand sendes igen</source>
        <translation>mqtt: another client publishes on %1; the true state is sent again</translation>
    </message>
</context>
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
    <name>CountCommand</name>
    <message>
        <source>Husk at aktiver start</source>
        <translation>Remember to press Start</translation>
    </message>
    <message>
        <source>Modulantal skal være fra 0 til 255</source>
        <translation>Module counts must be from 0 to 255</translation>
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
    <message>
        <source>Skift: %1</source>
        <translation>Changes: %1</translation>
    </message>
    <message>
        <source> (ældste %1 glemt)</source>
        <translation> (oldest %1 dropped)</translation>
    </message>
    <message>
        <source>
Ustabile: </source>
        <translation>
Unstable: </translation>
    </message>
    <message>
        <source>ingen</source>
        <translation>none</translation>
    </message>
    <message>
        <source>Gemt: %1</source>
        <translation>Saved: %1</translation>
    </message>
    <message>
        <source>CSV med komma (*.csv)</source>
        <translation>CSV with commas (*.csv)</translation>
    </message>
    <message>
        <source>CSV med semikolon (*.csv)</source>
        <translation>CSV with semicolons (*.csv)</translation>
    </message>
    <message>
        <source>Gem skift som CSV</source>
        <translation>Save changes as CSV</translation>
    </message>
    <message>
        <source>Gem de viste skift som CSV (filter: %1)</source>
        <translation>Save the changes shown as CSV (filter: %1)</translation>
    </message>
    <message>
        <source>Kan ikke gemme %1: %2</source>
        <translation>Cannot save %1: %2</translation>
    </message>
    <message>
        <source>Optag til fil</source>
        <translation>Record to file</translation>
    </message>
    <message>
        <source>Optagelse (*.s88rec);;Alle (*)</source>
        <translation>Recording (*.s88rec);;All (*)</translation>
    </message>
    <message>
        <source>Kan ikke optage i %1: %2</source>
        <translation>Cannot record to %1: %2</translation>
    </message>
    <message>
        <source>Sig hvert skift højt</source>
        <translation>Say every change aloud</translation>
    </message>
    <message>
        <source>%1 kan ikke læses: %2</source>
        <translation>%1 cannot be read: %2</translation>
    </message>
    <message>
        <source>Skift på indgangene, nyeste øverst</source>
        <translation>Changes on the inputs, newest first</translation>
    </message>
    <message>
        <source>Filter</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>Vis kun en indgang (73), et interval (33-48) eller et modul (m5); flere adskilt med komma. Ctrl+F</source>
        <translation>Show only one input (73), a range (33-48) or a module (m5); several separated by commas. Ctrl+F</translation>
    </message>
    <message>
        <source>Tøm listen og mærkerne på lamperne</source>
        <translation>Empty the list and the marks on the lamps</translation>
    </message>
    <message>
        <source>Optag alt, der sendes og modtages, i en fil</source>
        <translation>Record everything sent and received to a file</translation>
    </message>
    <message>
        <source>Prøv kontakterne én for én</source>
        <translation>Try the contacts one by one</translation>
    </message>
    <message>
        <source>Skiftene tegnet over tid</source>
        <translation>The changes drawn over time</translation>
    </message>
    <message>
        <source>Giv indgangene navne</source>
        <translation>Give the inputs names</translation>
    </message>
    <message>
        <source>Enheden, som den valgte port åbner. En USB-adapter hedder typisk /dev/ttyUSB0 eller /dev/ttyACM0; /dev/ttyS0 er en indbygget port.</source>
        <translation>The device the chosen port opens. A USB adapter is usually /dev/ttyUSB0 or /dev/ttyACM0; /dev/ttyS0 is a built-in port.</translation>
    </message>
    <message>
        <source>Navn</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Et navn har højst %1 tegn og ingen linjeskift</source>
        <translation>A name has at most %1 characters and no line breaks</translation>
    </message>
    <message>
        <source>%1 kan ikke skrives: %2</source>
        <translation>%1 cannot be written: %2</translation>
    </message>
    <message>
        <source>Indgang %1 (modul %2, kontakt %3)</source>
        <translation>Input %1 (module %2, contact %3)</translation>
    </message>
</context>
<context>
    <name>Form1</name>
    <message>
        <source>Test af VornS88 indgangsmodul</source>
        <translation>Test of VornS88 input module</translation>
    </message>
    <message>
        <source>Init port</source>
        <translation>Init port</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Afslut</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Com port 1-8</source>
        <translation>Com port 1-8</translation>
    </message>
    <message>
        <source>Modulantal</source>
        <translation>Modules</translation>
    </message>
    <message>
        <source>Left      Mid    Right</source>
        <translation>Left      Mid    Right</translation>
    </message>
    <message>
        <source>Indsæt (s)</source>
        <translation>Send (s)</translation>
    </message>
    <message>
        <source>Seneste aktive indgang</source>
        <translation>Last active input</translation>
    </message>
    <message>
        <source>Test af Vorn S88(USB)</source>
        <translation>Test of Vorn S88(USB)</translation>
    </message>
    <message>
        <source>Monitor</source>
        <translation>Monitor</translation>
    </message>
    <message>
        <source>Kort %1</source>
        <translation>Card %1</translation>
    </message>
    <message>
        <source>Ja</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>Nej</source>
        <translation>No</translation>
    </message>
    <message>
        <source>Afspilning fra %1: tryk Start</source>
        <translation>Replay from %1: press Start</translation>
    </message>
    <message>
        <source>Afspilning slut (%1)</source>
        <translation>Replay ended (%1)</translation>
    </message>
    <message>
        <source>Afspiller optagelse: %1</source>
        <translation>Replaying recording: %1</translation>
    </message>
    <message>
        <source>Husk at angive antal moduler (%1)</source>
        <translation>Remember to give the number of modules (%1)</translation>
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
    <message>
        <source>aktiv</source>
        <translation>active</translation>
    </message>
    <message>
        <source>inaktiv</source>
        <translation>inactive</translation>
    </message>
    <message>
        <source>Tid</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Nr.</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>Mod.</source>
        <translation>Mod.</translation>
    </message>
    <message>
        <source>Siden</source>
        <translation>Since</translation>
    </message>
    <message>
        <source>Ingen skift</source>
        <translation>No changes</translation>
    </message>
    <message>
        <source>Ugyldigt filter. Skriv fx 73, 33-48 eller m5</source>
        <translation>Invalid filter. Type e.g. 73, 33-48 or m5</translation>
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
    <name>LampMarkers</name>
    <message>
        <source>kort puls</source>
        <translation>short pulse</translation>
    </message>
    <message>
        <source>kort pause</source>
        <translation>short gap</translation>
    </message>
    <message>
        <source>mange skift</source>
        <translation>many changes</translation>
    </message>
    <message>
        <source>Indgang %1: modul %2, kontakt %3</source>
        <translation>Input %1: module %2, contact %3</translation>
    </message>
    <message>
        <source>
modul %1 svarer ikke</source>
        <translation>
module %1 does not answer</translation>
    </message>
    <message>
        <source>
Ingen skift</source>
        <translation>
No changes</translation>
    </message>
    <message>
        <source>
Skift: %1
Korteste puls: %2, pause: %3
Sidste skift: %4 (%5 siden)</source>
        <translation>
Changes: %1
Shortest pulse: %2, gap: %3
Last change: %4 (%5 ago)</translation>
    </message>
    <message>
        <source>
Ustabil: </source>
        <translation>
Unstable: </translation>
    </message>
</context>
<context>
    <name>ModuleCheck</name>
    <message>
        <source>modul %1 mangler i svaret</source>
        <translation>module %1 missing from the reply</translation>
    </message>
    <message>
        <source>færre rapporter end meldt</source>
        <translation>fewer reports than announced</translation>
    </message>
    <message>
        <source>kort burst: %1 (%2)</source>
        <translation>short burst: %1 (%2)</translation>
    </message>
    <message>
        <source>Modulantal %1, meldt %2</source>
        <translation>Modules %1, reported %2</translation>
    </message>
    <message>
        <source>ingen burst</source>
        <translation>no burst</translation>
    </message>
    <message>
        <source>mangler </source>
        <translation>missing </translation>
    </message>
    <message>
        <source>ukendt </source>
        <translation>unknown </translation>
    </message>
    <message>
        <source>uændret </source>
        <translation>unchanged </translation>
    </message>
    <message>
        <source> burst/s</source>
        <translation> burst/s</translation>
    </message>
    <message>
        <source>støj %1</source>
        <translation>noise %1</translation>
    </message>
    <message>
        <source>afbrudt %1</source>
        <translation>broken off %1</translation>
    </message>
    <message>
        <source>løse byte %1</source>
        <translation>stray bytes %1</translation>
    </message>
    <message>
        <source>Antal ikke sendt: tryk Indsæt (s)</source>
        <translation>Counts not sent: press Send (s)</translation>
    </message>
    <message>
        <source>Modulantal: Left + Mid + Right, som sidst sendt med Indsæt (s) eller indlæst ved start
Meldt: moduler med mindst én rapport
Mangler: i modulantallet og sendt med Indsæt (s), men aldrig meldt
Antal ikke sendt: modulantallet er ikke sendt siden programmet startede
Ukendt: meldt, men ikke i modulantallet
Uændret: ingen indgang har skiftet siden Start (måske ikke tilsluttet)
Kort burst: en burst meldte flere rapporter end den sendte, så den næste gik tabt
Burst/s: hele bursts i sekundet; støj: bursts hvor mindst 8 indgange i mindst to moduler skiftede på én gang; afbrudt: bursts opgivet midt i
Løse byte: byte mellem bursts
Ryd nulstiller tallene</source>
        <translation>Modules: Left + Mid + Right, as last sent with Send (s) or read at start
Reported: modules with at least one report
Missing: in the module count and sent with Send (s), but never reported
Counts not sent: the module count has not been sent since the program started
Unknown: reported, but not in the module count
Unchanged: no input has changed since Start (perhaps not connected)
Short burst: a burst announced more reports than it sent, so the next one was lost
Burst/s: whole bursts per second; noise: bursts in which at least 8 inputs in at least two modules changed at once; broken off: bursts given up halfway
Stray bytes: bytes between bursts
Clear resets the figures</translation>
    </message>
</context>
<context>
    <name>MonitorView</name>
    <message>
        <source>Kopiér</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>Kopiér alt</source>
        <translation>Copy all</translation>
    </message>
</context>
<context>
    <name>MqttClient</name>
    <message>
        <source>the broker refused the protocol version</source>
        <translation>the broker refused the protocol version</translation>
    </message>
    <message>
        <source>the broker refused the client id</source>
        <translation>the broker refused the client id</translation>
    </message>
    <message>
        <source>the broker is unavailable</source>
        <translation>the broker is unavailable</translation>
    </message>
    <message>
        <source>the broker refused the user name or password</source>
        <translation>the broker refused the user name or password</translation>
    </message>
    <message>
        <source>the broker refused the user name or password (not authorised)</source>
        <translation>the broker refused the user name or password (not authorised)</translation>
    </message>
    <message>
        <source>the broker refused the connection (%1)</source>
        <translation>the broker refused the connection (%1)</translation>
    </message>
    <message>
        <source>the broker has not answered for %1 s</source>
        <translation>the broker has not answered for %1 s</translation>
    </message>
    <message>
        <source>no answer to the connection in %1 s</source>
        <translation>no answer to the connection in %1 s</translation>
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
    <name>MqttUrl</name>
    <message>
        <source>expected mqtt://[user@]host[:port][/prefix] or mqtts://…</source>
        <translation>expected mqtt://[user@]host[:port][/prefix] or mqtts://…</translation>
    </message>
    <message>
        <source>no password in the URL: use --mqtt-password-file or S88_MQTT_PASSWORD</source>
        <translation>no password in the URL: use --mqtt-password-file or S88_MQTT_PASSWORD</translation>
    </message>
    <message>
        <source>an empty user name before @</source>
        <translation>an empty user name before @</translation>
    </message>
    <message>
        <source>the port &quot;%1&quot; is not a number from 1 to 65535</source>
        <translation>the port &quot;%1&quot; is not a number from 1 to 65535</translation>
    </message>
    <message>
        <source>no broker host</source>
        <translation>no broker host</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a host name</source>
        <translation>&quot;%1&quot; is not a host name</translation>
    </message>
    <message>
        <source>præfikset har %1 tegn; højst %2 er tilladt</source>
        <translation>the prefix has %1 characters; at most %2 are allowed</translation>
    </message>
    <message>
        <source>præfikset &quot;%1&quot; må kun have bogstaver, cifre, _ og - i niveauer delt af /</source>
        <translation>the prefix &quot;%1&quot; may hold only letters, digits, _ and - in levels parted by /</translation>
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
    <name>NamesWindow</name>
    <message>
        <source>%1: %2 linjer blev sprunget over:</source>
        <translation>%1: %2 lines were skipped:</translation>
    </message>
    <message>
        <source>Navne</source>
        <translation>Names</translation>
    </message>
    <message>
        <source>Indgang</source>
        <translation>Input</translation>
    </message>
    <message>
        <source>Modul.kontakt</source>
        <translation>Module.contact</translation>
    </message>
    <message>
        <source>Navn</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Importér…</source>
        <translation>Import…</translation>
    </message>
    <message>
        <source>Eksportér…</source>
        <translation>Export…</translation>
    </message>
    <message>
        <source>Gem</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Importér navne</source>
        <translation>Import names</translation>
    </message>
    <message>
        <source>Eksportér navne</source>
        <translation>Export names</translation>
    </message>
    <message>
        <source>Et navn har højst %1 tegn og ingen linjeskift</source>
        <translation>A name has at most %1 characters and no line breaks</translation>
    </message>
    <message>
        <source>%1 kan ikke skrives: %2</source>
        <translation>%1 cannot be written: %2</translation>
    </message>
    <message>
        <source>%1 kan ikke læses: %2</source>
        <translation>%1 cannot be read: %2</translation>
    </message>
</context>
<context>
    <name>PortMap</name>
    <message>
        <source>Port %1: %2 (%3)</source>
        <translation>Port %1: %2 (%3)</translation>
    </message>
    <message>
        <source>Port %1: ingen enhed fundet</source>
        <translation>Port %1: no device found</translation>
    </message>
    <message>
        <source>Port %1: %2</source>
        <translation>Port %1: %2</translation>
    </message>
</context>
<context>
    <name>PortWatch</name>
    <message>
        <source>ingen enhed</source>
        <translation>no device</translation>
    </message>
    <message>
        <source>Ingen data fra port %1 (%2): forkert port, eller er modulet tændt?</source>
        <translation>No data from port %1 (%2): wrong port, or is the module switched on?</translation>
    </message>
    <message>
        <source>Port %1: %2</source>
        <translation>Port %1: %2</translation>
    </message>
</context>
<context>
    <name>QtSerialControl</name>
    <message>
        <source>Ugyldigt portnummer %1</source>
        <translation>Invalid port number %1</translation>
    </message>
    <message>
        <source>Port %1: ingen enhed fundet</source>
        <translation>Port %1: no device found</translation>
    </message>
    <message>
        <source>Port %1 (%2): %3</source>
        <translation>Port %1 (%2): %3</translation>
    </message>
    <message>
        <source>. Husk at tilføje dig selv til gruppen dialout (sudo usermod -aG dialout $USER) og at logge ind igen.</source>
        <translation>. Remember to add yourself to the group dialout (sudo usermod -aG dialout $USER) and to log in again.</translation>
    </message>
    <message>
        <source>Porten er ikke åben</source>
        <translation>The port is not open</translation>
    </message>
    <message>
        <source>enheden er væk eller lukket</source>
        <translation>the device is gone or closed</translation>
    </message>
    <message>
        <source>Forbindelsen til port %1 (%2) er afbrudt: %3</source>
        <translation>The connection to port %1 (%2) is broken: %3</translation>
    </message>
</context>
<context>
    <name>Recorder</name>
    <message>
        <source>disken er fuld</source>
        <translation>the disk is full</translation>
    </message>
    <message>
        <source>din diskkvote er brugt op</source>
        <translation>your disk quota is used up</translation>
    </message>
    <message>
        <source>filen er blevet for stor</source>
        <translation>the file has grown too large</translation>
    </message>
    <message>
        <source>ingen adgang</source>
        <translation>no access</translation>
    </message>
    <message>
        <source>disken er skrivebeskyttet</source>
        <translation>the disk is read-only</translation>
    </message>
    <message>
        <source>skrivefejl på disken</source>
        <translation>write error on the disk</translation>
    </message>
    <message>
        <source>no file name</source>
        <translation>no file name</translation>
    </message>
    <message>
        <source>intet filnavn</source>
        <translation>no file name</translation>
    </message>
    <message>
        <source>not a regular file (a pipe, a device or a folder)</source>
        <translation>not a regular file (a pipe, a device or a folder)</translation>
    </message>
    <message>
        <source>ikke en almindelig fil</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>the file is in use (being recorded or replayed)</source>
        <translation>the file is in use (being recorded or replayed)</translation>
    </message>
    <message>
        <source>filen er i brug</source>
        <translation>the file is in use</translation>
    </message>
    <message>
        <source>filen er i brug af %1</source>
        <translation>the file is in use by %1</translation>
    </message>
    <message>
        <source>the file is in use by %1</source>
        <translation>the file is in use by %1</translation>
    </message>
    <message>
        <source>Optagelsen til %1 er stoppet: %2</source>
        <translation>The recording to %1 has stopped: %2</translation>
    </message>
</context>
<context>
    <name>ReplayClock</name>
    <message>
        <source>cannot be read again: %1</source>
        <translation>cannot be read again: %1</translation>
    </message>
</context>
<context>
    <name>SettingsStore</name>
    <message>
        <source>%1 kan ikke skrives</source>
        <translation>%1 cannot be written</translation>
    </message>
    <message>
        <source>linjer, der hverken er afsnit, indstillinger eller kommentarer: %1</source>
        <translation>lines that are neither sections, settings nor comments: %1</translation>
    </message>
    <message>
        <source>%1 linjer, langt flere end en indstillingsfil har</source>
        <translation>%1 lines, far more than a settings file has</translation>
    </message>
    <message>
        <source>Indstillingsfilen %1 er beskadiget: %2</source>
        <translation>The settings file %1 is damaged: %2</translation>
    </message>
    <message>
        <source>Indstillingsfilen %1 bruges ikke: %2</source>
        <translation>The settings file %1 is not used: %2</translation>
    </message>
</context>
<context>
    <name>TimelineWindow</name>
    <message>
        <source>Støj: %1 indgange i %2 moduler skiftede på én gang</source>
        <translation>Noise: %1 inputs in %2 modules changed at once</translation>
    </message>
    <message>
        <source>Opgivet burst</source>
        <translation>Given-up burst</translation>
    </message>
    <message>
        <source> (opgivet)</source>
        <translation> (given up)</translation>
    </message>
    <message>
        <source>Indgang %1 (modul %2, kontakt %3)</source>
        <translation>Input %1 (module %2, contact %3)</translation>
    </message>
    <message>
        <source>
Aktiv</source>
        <translation>
Active</translation>
    </message>
    <message>
        <source>
Inaktiv</source>
        <translation>
Inactive</translation>
    </message>
    <message>
        <source>
Fra %1</source>
        <translation>
From %1</translation>
    </message>
    <message>
        <source>før historikken</source>
        <translation>before the history</translation>
    </message>
    <message>
        <source>
Til %1</source>
        <translation>
To %1</translation>
    </message>
    <message>
        <source>nu</source>
        <translation>now</translation>
    </message>
    <message>
        <source>
Varighed %1</source>
        <translation>
Duration %1</translation>
    </message>
    <message>
        <source>
Ustabil</source>
        <translation>
Unstable</translation>
    </message>
    <message>
        <source>Tidslinje</source>
        <translation>Timeline</translation>
    </message>
    <message>
        <source>Nu</source>
        <translation>Now</translation>
    </message>
    <message>
        <source>Følg nuet i højre kant</source>
        <translation>Follow the present at the right edge</translation>
    </message>
    <message>
        <source>Alle konfigurerede indgange</source>
        <translation>All configured inputs</translation>
    </message>
    <message>
        <source>En række for hver indgang i modulerne, ikke kun dem der skiftede</source>
        <translation>A row for every input in the modules, not only those that changed</translation>
    </message>
    <message>
        <source>Gem billede…</source>
        <translation>Save picture…</translation>
    </message>
    <message>
        <source>Gem billede</source>
        <translation>Save picture</translation>
    </message>
    <message>
        <source>PNG-billeder (*.png)</source>
        <translation>PNG pictures (*.png)</translation>
    </message>
    <message>
        <source>Vist: %1</source>
        <translation>Shown: %1</translation>
    </message>
    <message>
        <source>   Markør: %1</source>
        <translation>   Cursor: %1</translation>
    </message>
    <message>
        <source>%1 kan ikke skrives: %2</source>
        <translation>%1 cannot be written: %2</translation>
    </message>
</context>
<context>
    <name>TtsSpeaker</name>
    <message>
        <source>aktiv</source>
        <translation>active</translation>
    </message>
    <message>
        <source>inaktiv</source>
        <translation>inactive</translation>
    </message>
    <message>
        <source>installér qt6-speech-speechd-plugin, speech-dispatcher og espeak-ng</source>
        <translation>install qt6-speech-speechd-plugin, speech-dispatcher and espeak-ng</translation>
    </message>
    <message>
        <source>Talemotoren starter…</source>
        <translation>The speech engine is starting…</translation>
    </message>
    <message>
        <source>Ingen dansk stemme: %1.</source>
        <translation>No English voice: %1.</translation>
    </message>
    <message>
        <source>Ingen talemotor: %1.</source>
        <translation>No speech engine: %1.</translation>
    </message>
    <message>
        <source>Talemotoren svarer ikke; genstart speech-dispatcher.</source>
        <translation>The speech engine does not answer; restart speech-dispatcher.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>fejl</source>
        <translation>fault</translation>
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
    <name>VirtualModule</name>
    <message>
        <source>pseudo terminals are not available on this platform</source>
        <translation>pseudo terminals are not available on this platform</translation>
    </message>
</context>
<context>
    <name>WalkTest</name>
    <message>
        <source>%1.%2 (indgang %3)</source>
        <translation>%1.%2 (input %3)</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>forkert: kom som %1</source>
        <translation>wrong: came as %1</translation>
    </message>
    <message>
        <source>fejl: også %1</source>
        <translation>fault: also %1</translation>
    </message>
    <message>
        <source>fejl: allerede aktiv</source>
        <translation>fault: already active</translation>
    </message>
    <message>
        <source>sprunget over</source>
        <translation>skipped</translation>
    </message>
    <message>
        <source>ikke testet</source>
        <translation>not tested</translation>
    </message>
    <message>
        <source>Kontakt  </source>
        <translation>Contact  </translation>
    </message>
    <message>
        <source>Modul %1 </source>
        <translation>Module %1 </translation>
    </message>
    <message>
        <source>O ok, F forkert indgang, D to på én gang, H allerede aktiv, S sprunget over, . ikke testet
</source>
        <translation>O ok, F wrong input, D two at once, H already active, S skipped, . not tested
</translation>
    </message>
    <message>
        <source>%1 og %2 er byttet om</source>
        <translation>%1 and %2 are swapped</translation>
    </message>
    <message>
        <source>%1 kom som %2</source>
        <translation>%1 came as %2</translation>
    </message>
    <message>
        <source>%1 giver også %2</source>
        <translation>%1 also gives %2</translation>
    </message>
    <message>
        <source>%1 sidder fast</source>
        <translation>%1 is stuck</translation>
    </message>
    <message>
        <source>%1 svarer ikke</source>
        <translation>%1 does not answer</translation>
    </message>
    <message>
        <source>ingen fejl fundet</source>
        <translation>no faults found</translation>
    </message>
    <message>
        <source>intet testet</source>
        <translation>nothing tested</translation>
    </message>
    <message>
        <source> (%1 ikke testet)</source>
        <translation> (%1 not tested)</translation>
    </message>
    <message>
        <source>%1: %2 skift
</source>
        <translation>%1: %2 changes
</translation>
    </message>
    <message>
        <source>
Aktivitet udenfor testen (ikke brugt som svar):
</source>
        <translation>
Activity outside the test (not taken as an answer):
</translation>
    </message>
    <message>
        <source>Modul %1, kontakt %2 (indgang %3%4): %5
</source>
        <translation>Module %1, contact %2 (input %3%4): %5
</translation>
    </message>
    <message>
        <source>Uro på modul %1: 1 indgang skifter – venter</source>
        <translation>Activity on module %1: 1 input changing – waiting</translation>
    </message>
    <message>
        <source>Uro på modul %1: %2 indgange skifter – venter</source>
        <translation>Activity on module %1: %2 inputs changing – waiting</translation>
    </message>
</context>
<context>
    <name>WalkTestWindow</name>
    <message>
        <source>Modul %1</source>
        <translation>Module %1</translation>
    </message>
    <message>
        <source>modul %1, kontakt %2</source>
        <translation>module %1, contact %2</translation>
    </message>
    <message>
        <source>Gennemgang</source>
        <translation>Walk test</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Forrige (Backspace)</source>
        <translation>Back (Backspace)</translation>
    </message>
    <message>
        <source>Gentag (G)</source>
        <translation>Again (G)</translation>
    </message>
    <message>
        <source>Spring over (Mellemrum)</source>
        <translation>Skip (Space)</translation>
    </message>
    <message>
        <source>Stop (Esc)</source>
        <translation>Stop (Esc)</translation>
    </message>
    <message>
        <source>Gem…</source>
        <translation>Save…</translation>
    </message>
    <message>
        <source>Modul</source>
        <translation>Module</translation>
    </message>
    <message>
        <source>til</source>
        <translation>to</translation>
    </message>
    <message>
        <source>Rapporten er ikke gemt. Start en ny gennemgang alligevel?</source>
        <translation>The report has not been saved. Start a new walk test anyway?</translation>
    </message>
    <message>
        <source>modul %1</source>
        <translation>module %1</translation>
    </message>
    <message>
        <source>modul %1 til %2</source>
        <translation>modules %1 to %2</translation>
    </message>
    <message>
        <source>Gennemgang %1, %2</source>
        <translation>Walk test %1, %2</translation>
    </message>
    <message>
        <source>dd.MM.yyyy &apos;kl.&apos; HH:mm</source>
        <translation>yyyy-MM-dd HH:mm</translation>
    </message>
    <message>
        <source>Modul %1, kontakt %2: %3</source>
        <translation>Module %1, contact %2: %3</translation>
    </message>
    <message>
        <source>kom som </source>
        <translation>came as </translation>
    </message>
    <message>
        <source>også </source>
        <translation>also </translation>
    </message>
    <message>
        <source> er allerede aktiv</source>
        <translation> is already active</translation>
    </message>
    <message>
        <source>færdig</source>
        <translation>done</translation>
    </message>
    <message>
        <source>Vælg moduler og tryk Start</source>
        <translation>Choose modules and press Start</translation>
    </message>
    <message>
        <source>Aktivér modul %1, kontakt %2%3</source>
        <translation>Activate module %1, contact %2%3</translation>
    </message>
    <message>
        <source>Kontakt %1 af %2</source>
        <translation>Contact %1 of %2</translation>
    </message>
    <message>
        <source>Færdig</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>Stoppet</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>%1 af %2 OK</source>
        <translation>%1 of %2 OK</translation>
    </message>
    <message>
        <source>Kunne ikke gemme %1: %2</source>
        <translation>Could not save %1: %2</translation>
    </message>
    <message>
        <source>Tekst (*.txt)</source>
        <translation>Text (*.txt)</translation>
    </message>
    <message>
        <source>Gem rapport</source>
        <translation>Save report</translation>
    </message>
    <message>
        <source>gennemgang.txt</source>
        <translation>walktest.txt</translation>
    </message>
    <message>
        <source>Tekst (*.txt);;CSV (*.csv)</source>
        <translation>Text (*.txt);;CSV (*.csv)</translation>
    </message>
    <message>
        <source>Rapporten er ikke gemt. Luk alligevel?</source>
        <translation>The report has not been saved. Close anyway?</translation>
    </message>
</context>
<context>
    <name>commandline</name>
    <message>
        <source>%1: %2
Try &apos;%1 --help&apos;.
</source>
        <translation>%1: %2
Try &apos;%1 --help&apos;.
</translation>
    </message>
    <message>
        <source>give one of --history, --inputs, --summary, --bursts and --timeline, once</source>
        <translation>give one of --history, --inputs, --summary, --bursts and --timeline, once</translation>
    </message>
    <message>
        <source>--separator goes with --history or --inputs</source>
        <translation>--separator goes with --history or --inputs</translation>
    </message>
    <message>
        <source>--separator %1: expected &apos;,&apos; or &apos;;&apos;</source>
        <translation>--separator %1: expected &apos;,&apos; or &apos;;&apos;</translation>
    </message>
    <message>
        <source>--timeline needs --png OUT</source>
        <translation>--timeline needs --png OUT</translation>
    </message>
    <message>
        <source>%1 %2: expected seconds, 0 or more</source>
        <translation>%1 %2: expected seconds, 0 or more</translation>
    </message>
    <message>
        <source>--to must be later than --from</source>
        <translation>--to must be later than --from</translation>
    </message>
    <message>
        <source>--unstable-ms %1: expected milliseconds</source>
        <translation>--unstable-ms %1: expected milliseconds</translation>
    </message>
    <message>
        <source>--unstable-changes %1: expected N/MS, N from 2 to %2</source>
        <translation>--unstable-changes %1: expected N/MS, N from 2 to %2</translation>
    </message>
    <message>
        <source>give one of --simulate and --replay</source>
        <translation>give one of --simulate and --replay</translation>
    </message>
    <message>
        <source>--speed %1: expected 0, or a number from 0.01 to 1000</source>
        <translation>--speed %1: expected 0, or a number from 0.01 to 1000</translation>
    </message>
    <message>
        <source>%1: the file name is empty</source>
        <translation>%1: the file name is empty</translation>
    </message>
    <message>
        <source>--fault %1</source>
        <translation>--fault %1</translation>
    </message>
    <message>
        <source>--record %1: is the file --replay plays; record into another file</source>
        <translation>--record %1: is the file --replay plays; record into another file</translation>
    </message>
    <message>
        <source>--port %1: expected N=DEVICE with N from 1 to 8</source>
        <translation>--port %1: expected N=DEVICE with N from 1 to 8</translation>
    </message>
    <message>
        <source>--mqtt: %1</source>
        <translation>--mqtt: %1</translation>
    </message>
    <message>
        <source>--mqtt-ca goes with an mqtts:// URL</source>
        <translation>--mqtt-ca goes with an mqtts:// URL</translation>
    </message>
    <message>
        <source>--counts %1: expected L,M,R, each a count from 0 to 255</source>
        <translation>--counts %1: expected L,M,R, each a count from 0 to 255</translation>
    </message>
    <message>
        <source>unexpected argument &apos;%1&apos;</source>
        <translation>unexpected argument &apos;%1&apos;</translation>
    </message>
    <message>
        <source>--exit-when-shown does not go with --headless</source>
        <translation>--exit-when-shown does not go with --headless</translation>
    </message>
    <message>
        <source>--language %1: expected one of %2</source>
        <translation>--language %1: expected one of %2</translation>
    </message>
    <message>
        <source>--names goes with --history, --inputs, --summary, --bursts, --timeline or --headless</source>
        <translation>--names goes with --history, --inputs, --summary, --bursts, --timeline or --headless</translation>
    </message>
</context>
<context>
    <name>faults</name>
    <message>
        <source>%1: expected %2</source>
        <translation>%1: expected %2</translation>
    </message>
    <message>
        <source>chatter:N with N an input from 1 to %1</source>
        <translation>chatter:N with N an input from 1 to %1</translation>
    </message>
    <message>
        <source>%1:M with M a module from 1 to 255</source>
        <translation>%1:M with M a module from 1 to 255</translation>
    </message>
    <message>
        <source>noise:S with S seconds, 1 or more</source>
        <translation>noise:S with S seconds, 1 or more</translation>
    </message>
    <message>
        <source>swap:N,M with two inputs from 1 to %1</source>
        <translation>swap:N,M with two inputs from 1 to %1</translation>
    </message>
    <message>
        <source>%1: unknown fault; one of %2</source>
        <translation>%1: unknown fault; one of %2</translation>
    </message>
</context>
<context>
    <name>headless</name>
    <message>
        <source>receive: %1</source>
        <translation>receive: %1</translation>
    </message>
    <message>
        <source>link: %1 lost: %2; opening it again</source>
        <translation>link: %1 lost: %2; opening it again</translation>
    </message>
    <message>
        <source>record: %1</source>
        <translation>record: %1</translation>
    </message>
    <message>
        <source>no stored count for %1: give --counts L,M,R</source>
        <translation>no stored count for %1: give --counts L,M,R</translation>
    </message>
    <message>
        <source>names: %1: %2</source>
        <translation>names: %1: %2</translation>
    </message>
    <message>
        <source>link: %1 cannot be opened: %2; trying again</source>
        <translation>link: %1 cannot be opened: %2; trying again</translation>
    </message>
    <message>
        <source>link: %1 open</source>
        <translation>link: %1 open</translation>
    </message>
    <message>
        <source>counts: %1</source>
        <translation>counts: %1</translation>
    </message>
    <message>
        <source>link: %1 closed</source>
        <translation>link: %1 closed</translation>
    </message>
    <message>
        <source>expected three counts from 0 to 255</source>
        <translation>expected three counts from 0 to 255</translation>
    </message>
    <message>
        <source>the counts could not be stored</source>
        <translation>the counts could not be stored</translation>
    </message>
    <message>
        <source>the port is not open</source>
        <translation>the port is not open</translation>
    </message>
    <message>
        <source>--headless: %1</source>
        <translation>--headless: %1</translation>
    </message>
    <message>
        <source>--record %1: %2</source>
        <translation>--record %1: %2</translation>
    </message>
    <message>
        <source>s88monitor-headless: only --headless runs here; the window is s88monitor</source>
        <translation>s88monitor-headless: only --headless runs here; the window is s88monitor</translation>
    </message>
    <message>
        <source>names: %1: no such file</source>
        <translation>names: %1: no such file</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>--mqtt-password-file %1: %2</source>
        <translation>--mqtt-password-file %1: %2</translation>
    </message>
    <message>
        <source>--replay %1: %2</source>
        <translation>--replay %1: %2</translation>
    </message>
    <message>
        <source>--replay %1: %2; playing up to there</source>
        <translation>--replay %1: %2; playing up to there</translation>
    </message>
    <message>
        <source>%1 needs pseudo terminals, which this platform does not have.</source>
        <translation>%1 needs pseudo terminals, which this platform does not have.</translation>
    </message>
    <message>
        <source>%1: the virtual module did not start: %2</source>
        <translation>%1: the virtual module did not start: %2</translation>
    </message>
    <message>
        <source>virtuelt S88-modul</source>
        <translation>virtual S88 module</translation>
    </message>
    <message>
        <source>--record %1: %2</source>
        <translation>--record %1: %2</translation>
    </message>
    <message>
        <source>s88monitor: --headless needs %1, which is not installed</source>
        <translation>s88monitor: --headless needs %1, which is not installed</translation>
    </message>
    <message>
        <source>--mqtt-ca %1: %2</source>
        <translation>--mqtt-ca %1: %2</translation>
    </message>
</context>
<context>
    <name>names</name>
    <message>
        <source>not UTF-8</source>
        <translation>not UTF-8</translation>
    </message>
    <message>
        <source>broken quotes</source>
        <translation>broken quotes</translation>
    </message>
    <message>
        <source>expected input,name</source>
        <translation>expected input,name</translation>
    </message>
    <message>
        <source>the input is not a number</source>
        <translation>the input is not a number</translation>
    </message>
    <message>
        <source>the input is outside 1..160</source>
        <translation>the input is outside 1..160</translation>
    </message>
    <message>
        <source>the input is named on an earlier line</source>
        <translation>the input is named on an earlier line</translation>
    </message>
    <message>
        <source>the name is longer than 40 characters</source>
        <translation>the name is longer than 40 characters</translation>
    </message>
    <message>
        <source>the name holds a control character</source>
        <translation>the name holds a control character</translation>
    </message>
    <message>
        <source>line %1: %2</source>
        <translation>line %1: %2</translation>
    </message>
    <message>
        <source>ikke UTF-8</source>
        <translation>not UTF-8</translation>
    </message>
    <message>
        <source>fejl i anførselstegn</source>
        <translation>broken quotes</translation>
    </message>
    <message>
        <source>ventede indgang,navn</source>
        <translation>expected input,name</translation>
    </message>
    <message>
        <source>indgangen er ikke et tal</source>
        <translation>the input is not a number</translation>
    </message>
    <message>
        <source>indgangen er uden for 1..160</source>
        <translation>the input is outside 1..160</translation>
    </message>
    <message>
        <source>indgangen har navn på en tidligere linje</source>
        <translation>the input is named on an earlier line</translation>
    </message>
    <message>
        <source>navnet er længere end 40 tegn</source>
        <translation>the name is longer than 40 characters</translation>
    </message>
    <message>
        <source>navnet har et styretegn</source>
        <translation>the name holds a control character</translation>
    </message>
    <message>
        <source>linje %1: %2</source>
        <translation>line %1: %2</translation>
    </message>
    <message>
        <source>the save was abandoned</source>
        <translation>the save was abandoned</translation>
    </message>
</context>
<context>
    <name>options</name>
    <message>
        <source>Displays this help and exits.</source>
        <translation>Displays this help and exits.</translation>
    </message>
    <message>
        <source>Displays the version and exits.</source>
        <translation>Displays the version and exits.</translation>
    </message>
    <message>
        <source>The window&apos;s language for this run: Danish, English or German (the one chosen in the window, else Danish).</source>
        <translation>The window&apos;s language for this run: Danish, English or German (the one chosen in the window, else Danish).</translation>
    </message>
    <message>
        <source>Port N (1 to 8) opens DEVICE, for example 1=/dev/ttyUSB0. Repeatable.</source>
        <translation>Port N (1 to 8) opens DEVICE, for example 1=/dev/ttyUSB0. Repeatable.</translation>
    </message>
    <message>
        <source>Port 1 opens a built-in virtual interface module (needs pseudo terminals): press Start, then Indsæt (s).</source>
        <translation>Port 1 opens a built-in virtual interface module (needs pseudo terminals): press Start, then Indsæt (s).</translation>
    </message>
    <message>
        <source>With --simulate, the virtual module shows a wiring fault. Repeatable. KIND:VALUE is one of %1.</source>
        <translation>With --simulate, the virtual module shows a wiring fault. Repeatable. KIND:VALUE is one of %1.</translation>
    </message>
    <message>
        <source>With --simulate, from each Indsæt (s) on the virtual module shorts its inputs one by one, as a person checking the wiring would.</source>
        <translation>With --simulate, from each Indsæt (s) on the virtual module shorts its inputs one by one, as a person checking the wiring would.</translation>
    </message>
    <message>
        <source>Port 1 opens a virtual module that plays the bytes received in recording FILE with their timing: press Start.</source>
        <translation>Port 1 opens a virtual module that plays the bytes received in recording FILE with their timing: press Start.</translation>
    </message>
    <message>
        <source>With --replay: play F times faster, F from 0.01 to 1000; 0 as fast as the line takes it (1).</source>
        <translation>With --replay: play F times faster, F from 0.01 to 1000; 0 as fast as the line takes it (1).</translation>
    </message>
    <message>
        <source>Record every byte received, every command sent, Start, Stop and port changes to FILE until the program ends.</source>
        <translation>Record every byte received, every command sent, Start, Stop and port changes to FILE until the program ends.</translation>
    </message>
    <message>
        <source>Print the change history of recording FILE as CSV and exit (no window).</source>
        <translation>Print the change history of recording FILE as CSV and exit (no window).</translation>
    </message>
    <message>
        <source>Print per-input statistics of recording FILE as CSV and exit (no window).</source>
        <translation>Print per-input statistics of recording FILE as CSV and exit (no window).</translation>
    </message>
    <message>
        <source>With --history or --inputs: a pulse or gap shorter than MS makes an input unstable (50).</source>
        <translation>With --history or --inputs: a pulse or gap shorter than MS makes an input unstable (50).</translation>
    </message>
    <message>
        <source>With --history or --inputs: N changes within less than MS make an input unstable (5/1000).</source>
        <translation>With --history or --inputs: N changes within less than MS make an input unstable (5/1000).</translation>
    </message>
    <message>
        <source>Print the module check of recording FILE as text and exit (no window): modules configured, reported, missing and unknown, short and given-up bursts, stray bytes, unstable inputs.</source>
        <translation>Print the module check of recording FILE as text and exit (no window): modules configured, reported, missing and unknown, short and given-up bursts, stray bytes, unstable inputs.</translation>
    </message>
    <message>
        <source>With --history or --inputs: separate the cells with CHAR, &apos;,&apos; or &apos;;&apos; (,).</source>
        <translation>With --history or --inputs: separate the cells with CHAR, &apos;,&apos; or &apos;;&apos; (,).</translation>
    </message>
    <message>
        <source>Print the noise bursts (8 or more inputs over two or more modules changing in one burst) and given-up bursts of recording FILE as CSV and exit (no window).</source>
        <translation>Print the noise bursts (8 or more inputs over two or more modules changing in one burst) and given-up bursts of recording FILE as CSV and exit (no window).</translation>
    </message>
    <message>
        <source>Draw the timeline of recording FILE as a PNG picture (see --png) and exit (no window).</source>
        <translation>Draw the timeline of recording FILE as a PNG picture (see --png) and exit (no window).</translation>
    </message>
    <message>
        <source>With --timeline: the PNG file to write.</source>
        <translation>With --timeline: the PNG file to write.</translation>
    </message>
    <message>
        <source>With --timeline: start S seconds into the recording (0).</source>
        <translation>With --timeline: start S seconds into the recording (0).</translation>
    </message>
    <message>
        <source>With --timeline: end S seconds into the recording (its end).</source>
        <translation>With --timeline: end S seconds into the recording (its end).</translation>
    </message>
    <message>
        <source>Publish the inputs to an MQTT broker: mqtt://[user@]host[:port][/prefix] or mqtts://… (TLS). The password comes from --mqtt-password-file or S88_MQTT_PASSWORD.</source>
        <translation>Publish the inputs to an MQTT broker: mqtt://[user@]host[:port][/prefix] or mqtts://… (TLS). The password comes from --mqtt-password-file or S88_MQTT_PASSWORD.</translation>
    </message>
    <message>
        <source>With an mqtts:// URL: trust the broker&apos;s certificate by this CA file instead of the system&apos;s.</source>
        <translation>With an mqtts:// URL: trust the broker&apos;s certificate by this CA file instead of the system&apos;s.</translation>
    </message>
    <message>
        <source>With --mqtt: the broker password is the first line of FILE.</source>
        <translation>With --mqtt: the broker password is the first line of FILE.</translation>
    </message>
    <message>
        <source>With --mqtt: publish Home Assistant discovery configs for the counted inputs.</source>
        <translation>With --mqtt: publish Home Assistant discovery configs for the counted inputs.</translation>
    </message>
    <message>
        <source>With --mqtt: take module counts L,M,R on PREFIX/counts/set and send them as Indsæt (s) does.</source>
        <translation>With --mqtt: take module counts L,M,R on PREFIX/counts/set and send them as Indsæt (s) does.</translation>
    </message>
    <message>
        <source>Run without a window or display: open the port, send the counts, feed --mqtt and --record until SIGTERM or SIGINT.</source>
        <translation>Run without a window or display: open the port, send the counts, feed --mqtt and --record until SIGTERM or SIGINT.</translation>
    </message>
    <message>
        <source>With --headless: the module counts to send (else the stored ones).</source>
        <translation>With --headless: the module counts to send (else the stored ones).</translation>
    </message>
    <message>
        <source>%1 or %2</source>
        <translation>%1 or %2</translation>
    </message>
    <message>
        <source>Test and monitor tool for the Vorn S88 feedback interface module.

Port numbers 1 to 8 are the serial ports the system reports, sorted by name (a single USB adapter is port 1); ports given with --port come first and the others are numbered on from the system&apos;s list.</source>
        <translation>Test and monitor tool for the Vorn S88 feedback interface module.

Port numbers 1 to 8 are the serial ports the system reports, sorted by name (a single USB adapter is port 1); ports given with --port come first and the others are numbered on from the system&apos;s list.</translation>
    </message>
    <message>
        <source>Usage: %1 [options]</source>
        <translation>Usage: %1 [options]</translation>
    </message>
    <message>
        <source>%1 goes with %2</source>
        <translation>%1 goes with %2</translation>
    </message>
    <message>
        <source>%1 does not go with %2</source>
        <translation>%1 does not go with %2</translation>
    </message>
    <message>
        <source>%1 needs %2</source>
        <translation>%1 needs %2</translation>
    </message>
    <message>
        <source>With a report or --timeline: names for the inputs from CSV FILE (input,name), in a name column added last. With --headless: the names in the MQTT discovery and events (else those of the window&apos;s names file).</source>
        <translation>With a report or --timeline: names for the inputs from CSV FILE (input,name), in a name column added last. With --headless: the names in the MQTT discovery and events (else those of the window&apos;s names file).</translation>
    </message>
</context>
<context>
    <name>pathgate</name>
    <message>
        <source>is a folder</source>
        <translation>is a folder</translation>
    </message>
    <message>
        <source>is not a regular file</source>
        <translation>is not a regular file</translation>
    </message>
    <message>
        <source>no such file</source>
        <translation>no such file</translation>
    </message>
    <message>
        <source>cannot be read: %1</source>
        <translation>cannot be read: %1</translation>
    </message>
    <message>
        <source>larger than %1 KB</source>
        <translation>larger than %1 KB</translation>
    </message>
    <message>
        <source>no file name</source>
        <translation>no file name</translation>
    </message>
    <message>
        <source>is %1, which is being read</source>
        <translation>is %1, which is being read</translation>
    </message>
</context>
<context>
    <name>preflight</name>
    <message>
        <source>no display: set DISPLAY, or use --history/--inputs/--headless for work without a window</source>
        <translation>no display: set DISPLAY, or use --history/--inputs/--headless for work without a window</translation>
    </message>
    <message>
        <source>only %1 open files allowed (ulimit -n); the window needs %2</source>
        <translation>only %1 open files allowed (ulimit -n); the window needs %2</translation>
    </message>
    <message>
        <source>cannot open the display %1: nothing answers there, or it refused this program; use --history/--inputs/--headless for work without a window</source>
        <translation>cannot open the display %1: nothing answers there, or it refused this program; use --history/--inputs/--headless for work without a window</translation>
    </message>
    <message>
        <source>no display platform &quot;%1&quot; here (there are: %2)</source>
        <translation>no display platform &quot;%1&quot; here (there are: %2)</translation>
    </message>
</context>
<context>
    <name>recording</name>
    <message>
        <source>the file is empty</source>
        <translation>the file is empty</translation>
    </message>
    <message>
        <source>not a recording</source>
        <translation>not a recording</translation>
    </message>
    <message>
        <source>cut short inside its header</source>
        <translation>cut short inside its header</translation>
    </message>
    <message>
        <source>recording format version %1; this program reads version %2</source>
        <translation>recording format version %1; this program reads version %2</translation>
    </message>
    <message>
        <source>cut short inside a record at byte %1</source>
        <translation>cut short inside a record at byte %1</translation>
    </message>
    <message>
        <source>%1 at byte %2</source>
        <translation>%1 at byte %2</translation>
    </message>
    <message>
        <source>cannot be read past byte %1: %2</source>
        <translation>cannot be read past byte %1: %2</translation>
    </message>
    <message>
        <source>ends without its end record (the program did not end the recording)</source>
        <translation>ends without its end record (the program did not end the recording)</translation>
    </message>
    <message>
        <source>an overlong number</source>
        <translation>an overlong number</translation>
    </message>
    <message>
        <source>a record of %1 bytes</source>
        <translation>a record of %1 bytes</translation>
    </message>
    <message>
        <source>a port record for port %1, state %2</source>
        <translation>a port record for port %1, state %2</translation>
    </message>
    <message>
        <source>an unknown record type 0x%1</source>
        <translation>an unknown record type 0x%1</translation>
    </message>
    <message>
        <source>a time beyond any recording</source>
        <translation>a time beyond any recording</translation>
    </message>
    <message>
        <source>data after the end record</source>
        <translation>data after the end record</translation>
    </message>
    <message>
        <source>is still being recorded</source>
        <translation>is still being recorded</translation>
    </message>
    <message>
        <source>start time %1 out of range</source>
        <translation>start time %1 out of range</translation>
    </message>
</context>
<context>
    <name>reports</name>
    <message>
        <source> (reported up to %1 ms)</source>
        <translation> (reported up to %1 ms)</translation>
    </message>
    <message>
        <source>%1: still being recorded; reported up to its %2 bytes at the start%3</source>
        <translation>%1: still being recorded; reported up to its %2 bytes at the start%3</translation>
    </message>
    <message>
        <source>%1: grew while it was read; reported up to its %2 bytes at the start</source>
        <translation>%1: grew while it was read; reported up to its %2 bytes at the start</translation>
    </message>
</context>
<context>
    <name>summary</name>
    <message>
        <source>none</source>
        <translation>none</translation>
    </message>
    <message>
        <source> (module %1 left out of the reply)</source>
        <translation> (module %1 left out of the reply)</translation>
    </message>
    <message>
        <source> (%1 with fewer reports than announced)</source>
        <translation> (%1 with fewer reports than announced)</translation>
    </message>
    <message>
        <source>configured: %1</source>
        <translation>configured: %1</translation>
    </message>
    <message>
        <source>unknown (no count command recorded)</source>
        <translation>unknown (no count command recorded)</translation>
    </message>
    <message>
        <source>reported: %1</source>
        <translation>reported: %1</translation>
    </message>
    <message>
        <source>missing: %1</source>
        <translation>missing: %1</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>unknown: %1</source>
        <translation>unknown: %1</translation>
    </message>
    <message>
        <source>complete bursts: %1</source>
        <translation>complete bursts: %1</translation>
    </message>
    <message>
        <source>short bursts: %1</source>
        <translation>short bursts: %1</translation>
    </message>
    <message>
        <source>given up: %1</source>
        <translation>given up: %1</translation>
    </message>
    <message>
        <source>stray bytes: %1</source>
        <translation>stray bytes: %1</translation>
    </message>
    <message>
        <source>bytes lost behind short bursts: %1</source>
        <translation>bytes lost behind short bursts: %1</translation>
    </message>
    <message>
        <source>changes: %1</source>
        <translation>changes: %1</translation>
    </message>
    <message>
        <source>unstable inputs: %1</source>
        <translation>unstable inputs: %1</translation>
    </message>
</context>
<context>
    <name>timeline</name>
    <message>
        <source>%1 t</source>
        <translation>%1 h</translation>
    </message>
    <message>
        <source>--from %1 s is past the recording&apos;s end at %2 s</source>
        <translation>--from %1 s is past the recording&apos;s end at %2 s</translation>
    </message>
</context>
<context>
    <name>topics</name>
    <message>
        <source>Indgang %1</source>
        <translation>Input %1</translation>
    </message>
    <message>
        <source>%1 (indgang %2)</source>
        <translation>%1 (input %2)</translation>
    </message>
</context>
</TS>

<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="da">
<context>
    <name>Bridge</name>
    <message>
        <source>mqtt: connecting to %1</source>
        <translation>mqtt: verbinde mit %1</translation>
    </message>
    <message>
        <source>mqtt: disconnected from %1</source>
        <translation>mqtt: getrennt von %1</translation>
    </message>
    <message>
        <source>MQTT: forbundet til %1</source>
        <translation>MQTT: verbunden mit %1</translation>
    </message>
    <message>
        <source>MQTT: forbinder til %1</source>
        <translation>MQTT: verbinde mit %1</translation>
    </message>
    <message>
        <source>, %1 holdt tilbage</source>
        <translation>, %1 zurückgehalten</translation>
    </message>
    <message>
        <source>, %1 tabt</source>
        <translation>, %1 verloren</translation>
    </message>
    <message>
        <source>mqtt: connected to %1</source>
        <translation>mqtt: verbunden mit %1</translation>
    </message>
    <message>
        <source>mqtt: %1 not reachable: %2; trying again</source>
        <translation>mqtt: %1 nicht erreichbar: %2; neuer Versuch</translation>
    </message>
    <message>
        <source>mqtt: en anden tavle udgiver allerede under præfikset %1 (%2 er online); giv denne sit eget: --mqtt %3/PRÆFIKS</source>
        <translation>mqtt: eine andere Platine veröffentlicht bereits unter dem Präfix %1 (%2 ist online); geben Sie dieser ein eigenes: --mqtt %3/PRÄFIX</translation>
    </message>
    <message>
        <source>mqtt: en anden klient udgiver på %1; den sande tilstand sendes igen</source>
        <translation>mqtt: ein anderer Client veröffentlicht auf %1; der wahre Zustand wird erneut gesendet</translation>
    </message>
</context>
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
        <translation>%1 (--mqtt auf der Befehlszeile)</translation>
    </message>
</context>
<context>
    <name>CountCommand</name>
    <message>
        <source>Husk at aktiver start</source>
        <translation>Bitte zuerst Start drücken</translation>
    </message>
    <message>
        <source>Modulantal skal være fra 0 til 255</source>
        <translation>Modulanzahl muss zwischen 0 und 255 liegen</translation>
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
        <translation>Die angezeigten Änderungen in einer Datei speichern</translation>
    </message>
    <message>
        <source>&amp;Optag</source>
        <translation>&amp;Aufnehmen</translation>
    </message>
    <message>
        <source>G&amp;ennemgang…</source>
        <translation>&amp;Durchgang…</translation>
    </message>
    <message>
        <source>&amp;Tidslinje…</source>
        <translation>&amp;Zeitachse…</translation>
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
        <translation>Die Änderungen in einem eigenen Fenster, das sich vergrößern lässt</translation>
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
    <message>
        <source>Skift: %1</source>
        <translation>Änderungen: %1</translation>
    </message>
    <message>
        <source> (ældste %1 glemt)</source>
        <translation> (älteste %1 verworfen)</translation>
    </message>
    <message>
        <source>
Ustabile: </source>
        <translation>
Instabil: </translation>
    </message>
    <message>
        <source>ingen</source>
        <translation>keine</translation>
    </message>
    <message>
        <source>Gemt: %1</source>
        <translation>Gespeichert: %1</translation>
    </message>
    <message>
        <source>CSV med komma (*.csv)</source>
        <translation>CSV mit Komma (*.csv)</translation>
    </message>
    <message>
        <source>CSV med semikolon (*.csv)</source>
        <translation>CSV mit Semikolon (*.csv)</translation>
    </message>
    <message>
        <source>Gem skift som CSV</source>
        <translation>Änderungen als CSV speichern</translation>
    </message>
    <message>
        <source>Gem de viste skift som CSV (filter: %1)</source>
        <translation>Angezeigte Änderungen als CSV speichern (Filter: %1)</translation>
    </message>
    <message>
        <source>Kan ikke gemme %1: %2</source>
        <translation>%1 kann nicht gespeichert werden: %2</translation>
    </message>
    <message>
        <source>Optag til fil</source>
        <translation>In Datei aufnehmen</translation>
    </message>
    <message>
        <source>Optagelse (*.s88rec);;Alle (*)</source>
        <translation>Aufnahme (*.s88rec);;Alle (*)</translation>
    </message>
    <message>
        <source>Kan ikke optage i %1: %2</source>
        <translation>Aufnahme in %1 nicht möglich: %2</translation>
    </message>
    <message>
        <source>Sig hvert skift højt</source>
        <translation>Jede Änderung ansagen</translation>
    </message>
    <message>
        <source>%1 kan ikke læses: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>Skift på indgangene, nyeste øverst</source>
        <translation>Änderungen an den Eingängen, neueste oben</translation>
    </message>
    <message>
        <source>Filter</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>Vis kun en indgang (73), et interval (33-48) eller et modul (m5); flere adskilt med komma. Ctrl+F</source>
        <translation>Nur einen Eingang (73), einen Bereich (33-48) oder ein Modul (m5) zeigen; mehrere durch Komma getrennt. Strg+F</translation>
    </message>
    <message>
        <source>Tøm listen og mærkerne på lamperne</source>
        <translation>Liste und Markierungen an den Lampen leeren</translation>
    </message>
    <message>
        <source>Optag alt, der sendes og modtages, i en fil</source>
        <translation>Alles Gesendete und Empfangene in eine Datei aufnehmen</translation>
    </message>
    <message>
        <source>Prøv kontakterne én for én</source>
        <translation>Die Kontakte einzeln prüfen</translation>
    </message>
    <message>
        <source>Skiftene tegnet over tid</source>
        <translation>Die Änderungen über die Zeit gezeichnet</translation>
    </message>
    <message>
        <source>Giv indgangene navne</source>
        <translation>Den Eingängen Namen geben</translation>
    </message>
    <message>
        <source>Enheden, som den valgte port åbner. En USB-adapter hedder typisk /dev/ttyUSB0 eller /dev/ttyACM0; /dev/ttyS0 er en indbygget port.</source>
        <translation>Das Gerät, das der gewählte Port öffnet. Ein USB-Adapter heißt meist /dev/ttyUSB0 oder /dev/ttyACM0; /dev/ttyS0 ist ein eingebauter Port.</translation>
    </message>
    <message>
        <source>Navn</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Et navn har højst %1 tegn og ingen linjeskift</source>
        <translation>Ein Name hat höchstens %1 Zeichen und keinen Zeilenumbruch</translation>
    </message>
    <message>
        <source>%1 kan ikke skrives: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Indgang %1 (modul %2, kontakt %3)</source>
        <translation>Eingang %1 (Modul %2, Kontakt %3)</translation>
    </message>
</context>
<context>
    <name>Form1</name>
    <message>
        <source>Test af VornS88 indgangsmodul</source>
        <translation>Test des VornS88-Rückmeldemoduls</translation>
    </message>
    <message>
        <source>Init port</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Afslut</source>
        <translation>Ende</translation>
    </message>
    <message>
        <source>Com port 1-8</source>
        <translation>COM-Port 1-8</translation>
    </message>
    <message>
        <source>Modulantal</source>
        <translation>Module</translation>
    </message>
    <message>
        <source>Left      Mid    Right</source>
        <translation>Left      Mid    Right</translation>
    </message>
    <message>
        <source>Indsæt (s)</source>
        <translation>Sende (s)</translation>
    </message>
    <message>
        <source>Seneste aktive indgang</source>
        <translation>Letzter aktiver Eingang</translation>
    </message>
    <message>
        <source>Test af Vorn S88(USB)</source>
        <translation>Test Vorn S88(USB)</translation>
    </message>
    <message>
        <source>Monitor</source>
        <translation>Monitor</translation>
    </message>
    <message>
        <source>Kort %1</source>
        <translation>Karte %1</translation>
    </message>
    <message>
        <source>Ja</source>
        <translation>Ja</translation>
    </message>
    <message>
        <source>Nej</source>
        <translation>Nein</translation>
    </message>
    <message>
        <source>Afspilning fra %1: tryk Start</source>
        <translation>Wiedergabe ab %1: Start drücken</translation>
    </message>
    <message>
        <source>Afspilning slut (%1)</source>
        <translation>Wiedergabe beendet (%1)</translation>
    </message>
    <message>
        <source>Afspiller optagelse: %1</source>
        <translation>Wiedergabe der Aufnahme: %1</translation>
    </message>
    <message>
        <source>Husk at angive antal moduler (%1)</source>
        <translation>Bitte die Anzahl der Module angeben (%1)</translation>
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
        <translation>Zeit, Eingang, %1Zustand und Zeit seit der vorigen Änderung des Eingangs</translation>
    </message>
    <message>
        <source>modul.kontakt, </source>
        <translation>Modul.Kontakt, </translation>
    </message>
    <message>
        <source>aktiv</source>
        <translation>aktiv</translation>
    </message>
    <message>
        <source>inaktiv</source>
        <translation>inaktiv</translation>
    </message>
    <message>
        <source>Tid</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <source>Nr.</source>
        <translation>Nr.</translation>
    </message>
    <message>
        <source>Mod.</source>
        <translation>Mod.</translation>
    </message>
    <message>
        <source>Siden</source>
        <translation>Seit</translation>
    </message>
    <message>
        <source>Ingen skift</source>
        <translation>Keine Änderungen</translation>
    </message>
    <message>
        <source>Ugyldigt filter. Skriv fx 73, 33-48 eller m5</source>
        <translation>Ungültiger Filter. Z. B. 73, 33-48 oder m5</translation>
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
    <name>LampMarkers</name>
    <message>
        <source>kort puls</source>
        <translation>kurzer Impuls</translation>
    </message>
    <message>
        <source>kort pause</source>
        <translation>kurze Pause</translation>
    </message>
    <message>
        <source>mange skift</source>
        <translation>viele Änderungen</translation>
    </message>
    <message>
        <source>Indgang %1: modul %2, kontakt %3</source>
        <translation>Eingang %1: Modul %2, Kontakt %3</translation>
    </message>
    <message>
        <source>
modul %1 svarer ikke</source>
        <translation>
Modul %1 antwortet nicht</translation>
    </message>
    <message>
        <source>
Ingen skift</source>
        <translation>
Keine Änderungen</translation>
    </message>
    <message>
        <source>
Skift: %1
Korteste puls: %2, pause: %3
Sidste skift: %4 (%5 siden)</source>
        <translation>
Änderungen: %1
Kürzester Impuls: %2, Pause: %3
Letzte Änderung: %4 (vor %5)</translation>
    </message>
    <message>
        <source>
Ustabil: </source>
        <translation>
Instabil: </translation>
    </message>
</context>
<context>
    <name>ModuleCheck</name>
    <message>
        <source>modul %1 mangler i svaret</source>
        <translation>Modul %1 fehlt in der Antwort</translation>
    </message>
    <message>
        <source>færre rapporter end meldt</source>
        <translation>weniger Meldungen als angekündigt</translation>
    </message>
    <message>
        <source>kort burst: %1 (%2)</source>
        <translation>kurzer Burst: %1 (%2)</translation>
    </message>
    <message>
        <source>Modulantal %1, meldt %2</source>
        <translation>Module %1, gemeldet %2</translation>
    </message>
    <message>
        <source>ingen burst</source>
        <translation>kein Burst</translation>
    </message>
    <message>
        <source>mangler </source>
        <translation>fehlt </translation>
    </message>
    <message>
        <source>ukendt </source>
        <translation>unbekannt </translation>
    </message>
    <message>
        <source>uændret </source>
        <translation>unverändert </translation>
    </message>
    <message>
        <source> burst/s</source>
        <translation> Burst/s</translation>
    </message>
    <message>
        <source>støj %1</source>
        <translation>Störung %1</translation>
    </message>
    <message>
        <source>afbrudt %1</source>
        <translation>abgebrochen %1</translation>
    </message>
    <message>
        <source>løse byte %1</source>
        <translation>lose Bytes %1</translation>
    </message>
    <message>
        <source>Antal ikke sendt: tryk Indsæt (s)</source>
        <translation>Anzahl nicht gesendet: Sende (s) drücken</translation>
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
        <translation>Module: Left + Mid + Right, wie zuletzt mit Sende (s) gesendet oder beim Start gelesen
Gemeldet: Module mit mindestens einer Meldung
Fehlt: in der Modulanzahl und mit Sende (s) gesendet, aber nie gemeldet
Anzahl nicht gesendet: die Modulanzahl wurde seit dem Programmstart nicht gesendet
Unbekannt: gemeldet, aber nicht in der Modulanzahl
Unverändert: kein Eingang hat sich seit Start geändert (vielleicht nicht angeschlossen)
Kurzer Burst: ein Burst kündigte mehr Meldungen an, als er sandte, so ging der nächste verloren
Burst/s: ganze Bursts pro Sekunde; Störung: Bursts, in denen mindestens 8 Eingänge in mindestens zwei Modulen gleichzeitig wechselten; abgebrochen: mittendrin aufgegebene Bursts
Lose Bytes: Bytes zwischen Bursts
Leeren setzt die Zahlen zurück</translation>
    </message>
</context>
<context>
    <name>MonitorView</name>
    <message>
        <source>Kopiér</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Kopiér alt</source>
        <translation>Alles kopieren</translation>
    </message>
</context>
<context>
    <name>MqttClient</name>
    <message>
        <source>the broker refused the protocol version</source>
        <translation>der Broker lehnt die Protokollversion ab</translation>
    </message>
    <message>
        <source>the broker refused the client id</source>
        <translation>der Broker lehnt die Client-ID ab</translation>
    </message>
    <message>
        <source>the broker is unavailable</source>
        <translation>der Broker ist nicht verfügbar</translation>
    </message>
    <message>
        <source>the broker refused the user name or password</source>
        <translation>der Broker lehnt Benutzername oder Passwort ab</translation>
    </message>
    <message>
        <source>the broker refused the user name or password (not authorised)</source>
        <translation>der Broker lehnt Benutzername oder Passwort ab (nicht berechtigt)</translation>
    </message>
    <message>
        <source>the broker refused the connection (%1)</source>
        <translation>der Broker lehnt die Verbindung ab (%1)</translation>
    </message>
    <message>
        <source>the broker has not answered for %1 s</source>
        <translation>der Broker hat %1 s lang nicht geantwortet</translation>
    </message>
    <message>
        <source>no answer to the connection in %1 s</source>
        <translation>keine Antwort auf die Verbindung in %1 s</translation>
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
    <name>MqttUrl</name>
    <message>
        <source>expected mqtt://[user@]host[:port][/prefix] or mqtts://…</source>
        <translation>mqtt://[user@]host[:port][/prefix] oder mqtts://… erwartet</translation>
    </message>
    <message>
        <source>no password in the URL: use --mqtt-password-file or S88_MQTT_PASSWORD</source>
        <translation>kein Passwort in der URL: --mqtt-password-file oder S88_MQTT_PASSWORD verwenden</translation>
    </message>
    <message>
        <source>an empty user name before @</source>
        <translation>ein leerer Benutzername vor @</translation>
    </message>
    <message>
        <source>the port &quot;%1&quot; is not a number from 1 to 65535</source>
        <translation>der Port &quot;%1&quot; ist keine Zahl von 1 bis 65535</translation>
    </message>
    <message>
        <source>no broker host</source>
        <translation>kein Broker-Host</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a host name</source>
        <translation>&quot;%1&quot; ist kein Hostname</translation>
    </message>
    <message>
        <source>præfikset har %1 tegn; højst %2 er tilladt</source>
        <translation>das Präfix hat %1 Zeichen; höchstens %2 sind erlaubt</translation>
    </message>
    <message>
        <source>præfikset &quot;%1&quot; må kun have bogstaver, cifre, _ og - i niveauer delt af /</source>
        <translation>das Präfix &quot;%1&quot; darf nur Buchstaben, Ziffern, _ und - in durch / getrennten Ebenen enthalten</translation>
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
    <name>NamesWindow</name>
    <message>
        <source>%1: %2 linjer blev sprunget over:</source>
        <translation>%1: %2 Zeilen wurden übersprungen:</translation>
    </message>
    <message>
        <source>Navne</source>
        <translation>Namen</translation>
    </message>
    <message>
        <source>Indgang</source>
        <translation>Eingang</translation>
    </message>
    <message>
        <source>Modul.kontakt</source>
        <translation>Modul.Kontakt</translation>
    </message>
    <message>
        <source>Navn</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Importér…</source>
        <translation>Importieren…</translation>
    </message>
    <message>
        <source>Eksportér…</source>
        <translation>Exportieren…</translation>
    </message>
    <message>
        <source>Gem</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Importér navne</source>
        <translation>Namen importieren</translation>
    </message>
    <message>
        <source>Eksportér navne</source>
        <translation>Namen exportieren</translation>
    </message>
    <message>
        <source>Et navn har højst %1 tegn og ingen linjeskift</source>
        <translation>Ein Name hat höchstens %1 Zeichen und keinen Zeilenumbruch</translation>
    </message>
    <message>
        <source>%1 kan ikke skrives: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>%1 kan ikke læses: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
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
        <translation>Port %1: kein Gerät gefunden</translation>
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
        <translation>kein Gerät</translation>
    </message>
    <message>
        <source>Ingen data fra port %1 (%2): forkert port, eller er modulet tændt?</source>
        <translation>Keine Daten von Port %1 (%2): falscher Port, oder ist das Modul eingeschaltet?</translation>
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
        <translation>Ungültige Portnummer %1</translation>
    </message>
    <message>
        <source>Port %1: ingen enhed fundet</source>
        <translation>Port %1: kein Gerät gefunden</translation>
    </message>
    <message>
        <source>Port %1 (%2): %3</source>
        <translation>Port %1 (%2): %3</translation>
    </message>
    <message>
        <source>. Husk at tilføje dig selv til gruppen dialout (sudo usermod -aG dialout $USER) og at logge ind igen.</source>
        <translation>. Bitte sich selbst der Gruppe dialout hinzufügen (sudo usermod -aG dialout $USER) und neu anmelden.</translation>
    </message>
    <message>
        <source>Porten er ikke åben</source>
        <translation>Der Port ist nicht offen</translation>
    </message>
    <message>
        <source>enheden er væk eller lukket</source>
        <translation>das Gerät ist weg oder geschlossen</translation>
    </message>
    <message>
        <source>Forbindelsen til port %1 (%2) er afbrudt: %3</source>
        <translation>Die Verbindung zu Port %1 (%2) ist unterbrochen: %3</translation>
    </message>
</context>
<context>
    <name>Recorder</name>
    <message>
        <source>disken er fuld</source>
        <translation>der Datenträger ist voll</translation>
    </message>
    <message>
        <source>din diskkvote er brugt op</source>
        <translation>das Kontingent ist aufgebraucht</translation>
    </message>
    <message>
        <source>filen er blevet for stor</source>
        <translation>die Datei ist zu groß geworden</translation>
    </message>
    <message>
        <source>ingen adgang</source>
        <translation>kein Zugriff</translation>
    </message>
    <message>
        <source>disken er skrivebeskyttet</source>
        <translation>der Datenträger ist schreibgeschützt</translation>
    </message>
    <message>
        <source>skrivefejl på disken</source>
        <translation>Schreibfehler auf dem Datenträger</translation>
    </message>
    <message>
        <source>no file name</source>
        <translation>kein Dateiname</translation>
    </message>
    <message>
        <source>intet filnavn</source>
        <translation>kein Dateiname</translation>
    </message>
    <message>
        <source>not a regular file (a pipe, a device or a folder)</source>
        <translation>keine normale Datei (eine Pipe, ein Gerät oder ein Ordner)</translation>
    </message>
    <message>
        <source>ikke en almindelig fil</source>
        <translation>keine normale Datei</translation>
    </message>
    <message>
        <source>the file is in use (being recorded or replayed)</source>
        <translation>die Datei ist in Gebrauch (wird aufgenommen oder wiedergegeben)</translation>
    </message>
    <message>
        <source>filen er i brug</source>
        <translation>die Datei ist in Gebrauch</translation>
    </message>
    <message>
        <source>filen er i brug af %1</source>
        <translation>die Datei ist in Gebrauch von %1</translation>
    </message>
    <message>
        <source>the file is in use by %1</source>
        <translation>die Datei ist in Gebrauch von %1</translation>
    </message>
    <message>
        <source>Optagelsen til %1 er stoppet: %2</source>
        <translation>Die Aufnahme in %1 wurde angehalten: %2</translation>
    </message>
</context>
<context>
    <name>ReplayClock</name>
    <message>
        <source>cannot be read again: %1</source>
        <translation>nicht erneut lesbar: %1</translation>
    </message>
</context>
<context>
    <name>SettingsStore</name>
    <message>
        <source>%1 kan ikke skrives</source>
        <translation>%1 kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>linjer, der hverken er afsnit, indstillinger eller kommentarer: %1</source>
        <translation>Zeilen, die weder Abschnitte noch Einstellungen noch Kommentare sind: %1</translation>
    </message>
    <message>
        <source>%1 linjer, langt flere end en indstillingsfil har</source>
        <translation>%1 Zeilen, weit mehr als eine Einstellungsdatei hat</translation>
    </message>
    <message>
        <source>Indstillingsfilen %1 er beskadiget: %2</source>
        <translation>Die Einstellungsdatei %1 ist beschädigt: %2</translation>
    </message>
    <message>
        <source>Indstillingsfilen %1 bruges ikke: %2</source>
        <translation>Die Einstellungsdatei %1 wird nicht verwendet: %2</translation>
    </message>
</context>
<context>
    <name>TimelineWindow</name>
    <message>
        <source>Støj: %1 indgange i %2 moduler skiftede på én gang</source>
        <translation>Störung: %1 Eingänge in %2 Modulen wechselten gleichzeitig</translation>
    </message>
    <message>
        <source>Opgivet burst</source>
        <translation>Aufgegebener Burst</translation>
    </message>
    <message>
        <source> (opgivet)</source>
        <translation> (aufgegeben)</translation>
    </message>
    <message>
        <source>Indgang %1 (modul %2, kontakt %3)</source>
        <translation>Eingang %1 (Modul %2, Kontakt %3)</translation>
    </message>
    <message>
        <source>
Aktiv</source>
        <translation>
Aktiv</translation>
    </message>
    <message>
        <source>
Inaktiv</source>
        <translation>
Inaktiv</translation>
    </message>
    <message>
        <source>
Fra %1</source>
        <translation>
Von %1</translation>
    </message>
    <message>
        <source>før historikken</source>
        <translation>vor dem Verlauf</translation>
    </message>
    <message>
        <source>
Til %1</source>
        <translation>
Bis %1</translation>
    </message>
    <message>
        <source>nu</source>
        <translation>jetzt</translation>
    </message>
    <message>
        <source>
Varighed %1</source>
        <translation>
Dauer %1</translation>
    </message>
    <message>
        <source>
Ustabil</source>
        <translation>
Instabil</translation>
    </message>
    <message>
        <source>Tidslinje</source>
        <translation>Zeitachse</translation>
    </message>
    <message>
        <source>Nu</source>
        <translation>Jetzt</translation>
    </message>
    <message>
        <source>Følg nuet i højre kant</source>
        <translation>Der Gegenwart am rechten Rand folgen</translation>
    </message>
    <message>
        <source>Alle konfigurerede indgange</source>
        <translation>Alle konfigurierten Eingänge</translation>
    </message>
    <message>
        <source>En række for hver indgang i modulerne, ikke kun dem der skiftede</source>
        <translation>Eine Zeile für jeden Eingang der Module, nicht nur die geänderten</translation>
    </message>
    <message>
        <source>Gem billede…</source>
        <translation>Bild speichern…</translation>
    </message>
    <message>
        <source>Gem billede</source>
        <translation>Bild speichern</translation>
    </message>
    <message>
        <source>PNG-billeder (*.png)</source>
        <translation>PNG-Bilder (*.png)</translation>
    </message>
    <message>
        <source>Vist: %1</source>
        <translation>Angezeigt: %1</translation>
    </message>
    <message>
        <source>   Markør: %1</source>
        <translation>   Markierung: %1</translation>
    </message>
    <message>
        <source>%1 kan ikke skrives: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
</context>
<context>
    <name>TtsSpeaker</name>
    <message>
        <source>aktiv</source>
        <translation>aktiv</translation>
    </message>
    <message>
        <source>inaktiv</source>
        <translation>inaktiv</translation>
    </message>
    <message>
        <source>installér qt6-speech-speechd-plugin, speech-dispatcher og espeak-ng</source>
        <translation>qt6-speech-speechd-plugin, speech-dispatcher und espeak-ng installieren</translation>
    </message>
    <message>
        <source>Talemotoren starter…</source>
        <translation>Die Sprachausgabe startet…</translation>
    </message>
    <message>
        <source>Ingen dansk stemme: %1.</source>
        <translation>Keine deutsche Stimme: %1.</translation>
    </message>
    <message>
        <source>Ingen talemotor: %1.</source>
        <translation>Keine Sprachausgabe: %1.</translation>
    </message>
    <message>
        <source>Talemotoren svarer ikke; genstart speech-dispatcher.</source>
        <translation>Die Sprachausgabe antwortet nicht; speech-dispatcher neu starten.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>fejl</source>
        <translation>Fehler</translation>
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
    <name>VirtualModule</name>
    <message>
        <source>pseudo terminals are not available on this platform</source>
        <translation>Pseudo-Terminals sind auf dieser Plattform nicht verfügbar</translation>
    </message>
</context>
<context>
    <name>WalkTest</name>
    <message>
        <source>%1.%2 (indgang %3)</source>
        <translation>%1.%2 (Eingang %3)</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>forkert: kom som %1</source>
        <translation>falsch: kam als %1</translation>
    </message>
    <message>
        <source>fejl: også %1</source>
        <translation>Fehler: auch %1</translation>
    </message>
    <message>
        <source>fejl: allerede aktiv</source>
        <translation>Fehler: schon aktiv</translation>
    </message>
    <message>
        <source>sprunget over</source>
        <translation>übersprungen</translation>
    </message>
    <message>
        <source>ikke testet</source>
        <translation>nicht geprüft</translation>
    </message>
    <message>
        <source>Kontakt  </source>
        <translation>Kontakt  </translation>
    </message>
    <message>
        <source>Modul %1 </source>
        <translation>Modul %1 </translation>
    </message>
    <message>
        <source>O ok, F forkert indgang, D to på én gang, H allerede aktiv, S sprunget over, . ikke testet
</source>
        <translation>O ok, F falscher Eingang, D zwei zugleich, H schon aktiv, S übersprungen, . nicht geprüft
</translation>
    </message>
    <message>
        <source>%1 og %2 er byttet om</source>
        <translation>%1 und %2 sind vertauscht</translation>
    </message>
    <message>
        <source>%1 kom som %2</source>
        <translation>%1 kam als %2</translation>
    </message>
    <message>
        <source>%1 giver også %2</source>
        <translation>%1 gibt auch %2</translation>
    </message>
    <message>
        <source>%1 sidder fast</source>
        <translation>%1 hängt fest</translation>
    </message>
    <message>
        <source>%1 svarer ikke</source>
        <translation>%1 antwortet nicht</translation>
    </message>
    <message>
        <source>ingen fejl fundet</source>
        <translation>keine Fehler gefunden</translation>
    </message>
    <message>
        <source>intet testet</source>
        <translation>nichts geprüft</translation>
    </message>
    <message>
        <source> (%1 ikke testet)</source>
        <translation> (%1 nicht geprüft)</translation>
    </message>
    <message>
        <source>%1: %2 skift
</source>
        <translation>%1: %2 Änderungen
</translation>
    </message>
    <message>
        <source>
Aktivitet udenfor testen (ikke brugt som svar):
</source>
        <translation>
Aktivität außerhalb der Prüfung (nicht als Antwort gewertet):
</translation>
    </message>
    <message>
        <source>Modul %1, kontakt %2 (indgang %3%4): %5
</source>
        <translation>Modul %1, Kontakt %2 (Eingang %3%4): %5
</translation>
    </message>
    <message>
        <source>Uro på modul %1: 1 indgang skifter – venter</source>
        <translation>Unruhe auf Modul %1: 1 Eingang wechselt – warte</translation>
    </message>
    <message>
        <source>Uro på modul %1: %2 indgange skifter – venter</source>
        <translation>Unruhe auf Modul %1: %2 Eingänge wechseln – warte</translation>
    </message>
</context>
<context>
    <name>WalkTestWindow</name>
    <message>
        <source>Modul %1</source>
        <translation>Modul %1</translation>
    </message>
    <message>
        <source>modul %1, kontakt %2</source>
        <translation>Modul %1, Kontakt %2</translation>
    </message>
    <message>
        <source>Gennemgang</source>
        <translation>Durchgang</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Forrige (Backspace)</source>
        <translation>Zurück (Backspace)</translation>
    </message>
    <message>
        <source>Gentag (G)</source>
        <translation>Nochmal (G)</translation>
    </message>
    <message>
        <source>Spring over (Mellemrum)</source>
        <translation>Weiter (Leertaste)</translation>
    </message>
    <message>
        <source>Stop (Esc)</source>
        <translation>Stopp (Esc)</translation>
    </message>
    <message>
        <source>Gem…</source>
        <translation>Speichern…</translation>
    </message>
    <message>
        <source>Modul</source>
        <translation>Modul</translation>
    </message>
    <message>
        <source>til</source>
        <translation>bis</translation>
    </message>
    <message>
        <source>Rapporten er ikke gemt. Start en ny gennemgang alligevel?</source>
        <translation>Der Bericht ist nicht gespeichert. Trotzdem einen neuen Durchgang starten?</translation>
    </message>
    <message>
        <source>modul %1</source>
        <translation>Modul %1</translation>
    </message>
    <message>
        <source>modul %1 til %2</source>
        <translation>Module %1 bis %2</translation>
    </message>
    <message>
        <source>Gennemgang %1, %2</source>
        <translation>Durchgang %1, %2</translation>
    </message>
    <message>
        <source>dd.MM.yyyy &apos;kl.&apos; HH:mm</source>
        <translation>dd.MM.yyyy HH:mm &apos;Uhr&apos;</translation>
    </message>
    <message>
        <source>Modul %1, kontakt %2: %3</source>
        <translation>Modul %1, Kontakt %2: %3</translation>
    </message>
    <message>
        <source>kom som </source>
        <translation>kam als </translation>
    </message>
    <message>
        <source>også </source>
        <translation>auch </translation>
    </message>
    <message>
        <source> er allerede aktiv</source>
        <translation> ist schon aktiv</translation>
    </message>
    <message>
        <source>færdig</source>
        <translation>fertig</translation>
    </message>
    <message>
        <source>Vælg moduler og tryk Start</source>
        <translation>Module wählen und Start drücken</translation>
    </message>
    <message>
        <source>Aktivér modul %1, kontakt %2%3</source>
        <translation>Modul %1, Kontakt %2%3 auslösen</translation>
    </message>
    <message>
        <source>Kontakt %1 af %2</source>
        <translation>Kontakt %1 von %2</translation>
    </message>
    <message>
        <source>Færdig</source>
        <translation>Fertig</translation>
    </message>
    <message>
        <source>Stoppet</source>
        <translation>Gestoppt</translation>
    </message>
    <message>
        <source>%1 af %2 OK</source>
        <translation>%1 von %2 OK</translation>
    </message>
    <message>
        <source>Kunne ikke gemme %1: %2</source>
        <translation>%1 konnte nicht gespeichert werden: %2</translation>
    </message>
    <message>
        <source>Tekst (*.txt)</source>
        <translation>Text (*.txt)</translation>
    </message>
    <message>
        <source>Gem rapport</source>
        <translation>Bericht speichern</translation>
    </message>
    <message>
        <source>gennemgang.txt</source>
        <translation>durchgang.txt</translation>
    </message>
    <message>
        <source>Tekst (*.txt);;CSV (*.csv)</source>
        <translation>Text (*.txt);;CSV (*.csv)</translation>
    </message>
    <message>
        <source>Rapporten er ikke gemt. Luk alligevel?</source>
        <translation>Der Bericht ist nicht gespeichert. Trotzdem schließen?</translation>
    </message>
</context>
<context>
    <name>commandline</name>
    <message>
        <source>%1: %2
Try &apos;%1 --help&apos;.
</source>
        <translation>%1: %2
Siehe &apos;%1 --help&apos;.
</translation>
    </message>
    <message>
        <source>give one of --history, --inputs, --summary, --bursts and --timeline, once</source>
        <translation>eines von --history, --inputs, --summary, --bursts und --timeline angeben, einmal</translation>
    </message>
    <message>
        <source>--separator goes with --history or --inputs</source>
        <translation>--separator gehört zu --history oder --inputs</translation>
    </message>
    <message>
        <source>--separator %1: expected &apos;,&apos; or &apos;;&apos;</source>
        <translation>--separator %1: &apos;,&apos; oder &apos;;&apos; erwartet</translation>
    </message>
    <message>
        <source>--timeline needs --png OUT</source>
        <translation>--timeline braucht --png OUT</translation>
    </message>
    <message>
        <source>%1 %2: expected seconds, 0 or more</source>
        <translation>%1 %2: Sekunden erwartet, 0 oder mehr</translation>
    </message>
    <message>
        <source>--to must be later than --from</source>
        <translation>--to muss später als --from sein</translation>
    </message>
    <message>
        <source>--unstable-ms %1: expected milliseconds</source>
        <translation>--unstable-ms %1: Millisekunden erwartet</translation>
    </message>
    <message>
        <source>--unstable-changes %1: expected N/MS, N from 2 to %2</source>
        <translation>--unstable-changes %1: N/MS erwartet, N von 2 bis %2</translation>
    </message>
    <message>
        <source>give one of --simulate and --replay</source>
        <translation>eines von --simulate und --replay angeben</translation>
    </message>
    <message>
        <source>--speed %1: expected 0, or a number from 0.01 to 1000</source>
        <translation>--speed %1: 0 oder eine Zahl von 0.01 bis 1000 erwartet</translation>
    </message>
    <message>
        <source>%1: the file name is empty</source>
        <translation>%1: der Dateiname ist leer</translation>
    </message>
    <message>
        <source>--fault %1</source>
        <translation>--fault %1</translation>
    </message>
    <message>
        <source>--record %1: is the file --replay plays; record into another file</source>
        <translation>--record %1: ist die Datei, die --replay abspielt; in eine andere Datei aufnehmen</translation>
    </message>
    <message>
        <source>--port %1: expected N=DEVICE with N from 1 to 8</source>
        <translation>--port %1: N=GERÄT erwartet, N von 1 bis 8</translation>
    </message>
    <message>
        <source>--mqtt: %1</source>
        <translation>--mqtt: %1</translation>
    </message>
    <message>
        <source>--mqtt-ca goes with an mqtts:// URL</source>
        <translation>--mqtt-ca gehört zu einer mqtts://-URL</translation>
    </message>
    <message>
        <source>--counts %1: expected L,M,R, each a count from 0 to 255</source>
        <translation>--counts %1: L,M,R erwartet, jeweils eine Anzahl von 0 bis 255</translation>
    </message>
    <message>
        <source>unexpected argument &apos;%1&apos;</source>
        <translation>unerwartetes Argument &apos;%1&apos;</translation>
    </message>
    <message>
        <source>--exit-when-shown does not go with --headless</source>
        <translation>--exit-when-shown passt nicht zu --headless</translation>
    </message>
    <message>
        <source>--language %1: expected one of %2</source>
        <translation>--language %1: erwartet eines von %2</translation>
    </message>
    <message>
        <source>--names goes with --history, --inputs, --summary, --bursts, --timeline or --headless</source>
        <translation>--names gehört zu --history, --inputs, --summary, --bursts, --timeline oder --headless</translation>
    </message>
</context>
<context>
    <name>faults</name>
    <message>
        <source>%1: expected %2</source>
        <translation>%1: %2 erwartet</translation>
    </message>
    <message>
        <source>chatter:N with N an input from 1 to %1</source>
        <translation>chatter:N mit N einem Eingang von 1 bis %1</translation>
    </message>
    <message>
        <source>%1:M with M a module from 1 to 255</source>
        <translation>%1:M mit M einem Modul von 1 bis 255</translation>
    </message>
    <message>
        <source>noise:S with S seconds, 1 or more</source>
        <translation>noise:S mit S Sekunden, 1 oder mehr</translation>
    </message>
    <message>
        <source>swap:N,M with two inputs from 1 to %1</source>
        <translation>swap:N,M mit zwei Eingängen von 1 bis %1</translation>
    </message>
    <message>
        <source>%1: unknown fault; one of %2</source>
        <translation>%1: unbekannter Fehler; eines von %2</translation>
    </message>
</context>
<context>
    <name>headless</name>
    <message>
        <source>receive: %1</source>
        <translation>Empfang: %1</translation>
    </message>
    <message>
        <source>link: %1 lost: %2; opening it again</source>
        <translation>Verbindung: %1 verloren: %2; wird neu geöffnet</translation>
    </message>
    <message>
        <source>record: %1</source>
        <translation>Aufnahme: %1</translation>
    </message>
    <message>
        <source>no stored count for %1: give --counts L,M,R</source>
        <translation>keine gespeicherte Anzahl für %1: --counts L,M,R angeben</translation>
    </message>
    <message>
        <source>names: %1: %2</source>
        <translation>Namen: %1: %2</translation>
    </message>
    <message>
        <source>link: %1 cannot be opened: %2; trying again</source>
        <translation>Verbindung: %1 lässt sich nicht öffnen: %2; neuer Versuch</translation>
    </message>
    <message>
        <source>link: %1 open</source>
        <translation>Verbindung: %1 offen</translation>
    </message>
    <message>
        <source>counts: %1</source>
        <translation>Anzahl: %1</translation>
    </message>
    <message>
        <source>link: %1 closed</source>
        <translation>Verbindung: %1 geschlossen</translation>
    </message>
    <message>
        <source>expected three counts from 0 to 255</source>
        <translation>drei Anzahlen von 0 bis 255 erwartet</translation>
    </message>
    <message>
        <source>the counts could not be stored</source>
        <translation>die Anzahlen konnten nicht gespeichert werden</translation>
    </message>
    <message>
        <source>the port is not open</source>
        <translation>der Port ist nicht offen</translation>
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
        <translation>s88monitor-headless: hier läuft nur --headless; das Fenster ist s88monitor</translation>
    </message>
    <message>
        <source>names: %1: no such file</source>
        <translation>Namen: %1: keine solche Datei</translation>
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
        <translation>--replay %1: %2; wird bis dahin abgespielt</translation>
    </message>
    <message>
        <source>%1 needs pseudo terminals, which this platform does not have.</source>
        <translation>%1 braucht Pseudo-Terminals, die diese Plattform nicht hat.</translation>
    </message>
    <message>
        <source>%1: the virtual module did not start: %2</source>
        <translation>%1: das virtuelle Modul ist nicht gestartet: %2</translation>
    </message>
    <message>
        <source>virtuelt S88-modul</source>
        <translation>virtuelles S88-Modul</translation>
    </message>
    <message>
        <source>--record %1: %2</source>
        <translation>--record %1: %2</translation>
    </message>
    <message>
        <source>s88monitor: --headless needs %1, which is not installed</source>
        <translation>s88monitor: --headless braucht %1, das nicht installiert ist</translation>
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
        <translation>kein UTF-8</translation>
    </message>
    <message>
        <source>broken quotes</source>
        <translation>fehlerhafte Anführungszeichen</translation>
    </message>
    <message>
        <source>expected input,name</source>
        <translation>Eingang,Name erwartet</translation>
    </message>
    <message>
        <source>the input is not a number</source>
        <translation>der Eingang ist keine Zahl</translation>
    </message>
    <message>
        <source>the input is outside 1..160</source>
        <translation>der Eingang liegt außerhalb 1..160</translation>
    </message>
    <message>
        <source>the input is named on an earlier line</source>
        <translation>der Eingang ist in einer früheren Zeile benannt</translation>
    </message>
    <message>
        <source>the name is longer than 40 characters</source>
        <translation>der Name ist länger als 40 Zeichen</translation>
    </message>
    <message>
        <source>the name holds a control character</source>
        <translation>der Name enthält ein Steuerzeichen</translation>
    </message>
    <message>
        <source>line %1: %2</source>
        <translation>Zeile %1: %2</translation>
    </message>
    <message>
        <source>ikke UTF-8</source>
        <translation>kein UTF-8</translation>
    </message>
    <message>
        <source>fejl i anførselstegn</source>
        <translation>fehlerhafte Anführungszeichen</translation>
    </message>
    <message>
        <source>ventede indgang,navn</source>
        <translation>Eingang,Name erwartet</translation>
    </message>
    <message>
        <source>indgangen er ikke et tal</source>
        <translation>der Eingang ist keine Zahl</translation>
    </message>
    <message>
        <source>indgangen er uden for 1..160</source>
        <translation>der Eingang liegt außerhalb 1..160</translation>
    </message>
    <message>
        <source>indgangen har navn på en tidligere linje</source>
        <translation>der Eingang ist in einer früheren Zeile benannt</translation>
    </message>
    <message>
        <source>navnet er længere end 40 tegn</source>
        <translation>der Name ist länger als 40 Zeichen</translation>
    </message>
    <message>
        <source>navnet har et styretegn</source>
        <translation>der Name enthält ein Steuerzeichen</translation>
    </message>
    <message>
        <source>linje %1: %2</source>
        <translation>Zeile %1: %2</translation>
    </message>
    <message>
        <source>the save was abandoned</source>
        <translation>das Speichern wurde abgebrochen</translation>
    </message>
</context>
<context>
    <name>options</name>
    <message>
        <source>Displays this help and exits.</source>
        <translation>Zeigt diese Hilfe an und beendet das Programm.</translation>
    </message>
    <message>
        <source>Displays the version and exits.</source>
        <translation>Zeigt die Version an und beendet das Programm.</translation>
    </message>
    <message>
        <source>The window&apos;s language for this run: Danish, English or German (the one chosen in the window, else Danish).</source>
        <translation>Die Sprache des Fensters für diesen Lauf: Dänisch, Englisch oder Deutsch (sonst die im Fenster gewählte, sonst Dänisch).</translation>
    </message>
    <message>
        <source>Port N (1 to 8) opens DEVICE, for example 1=/dev/ttyUSB0. Repeatable.</source>
        <translation>Port N (1 bis 8) öffnet GERÄT, zum Beispiel 1=/dev/ttyUSB0. Wiederholbar.</translation>
    </message>
    <message>
        <source>Port 1 opens a built-in virtual interface module (needs pseudo terminals): press Start, then Indsæt (s).</source>
        <translation>Port 1 öffnet ein eingebautes virtuelles Rückmeldemodul (braucht Pseudo-Terminals): Start drücken, dann Indsæt (s).</translation>
    </message>
    <message>
        <source>With --simulate, the virtual module shows a wiring fault. Repeatable. KIND:VALUE is one of %1.</source>
        <translation>Mit --simulate zeigt das virtuelle Modul einen Verdrahtungsfehler. Wiederholbar. KIND:VALUE ist eines von %1.</translation>
    </message>
    <message>
        <source>With --simulate, from each Indsæt (s) on the virtual module shorts its inputs one by one, as a person checking the wiring would.</source>
        <translation>Mit --simulate schließt das virtuelle Modul ab jedem Indsæt (s) seine Eingänge einzeln kurz, wie jemand, der die Verdrahtung prüft.</translation>
    </message>
    <message>
        <source>Port 1 opens a virtual module that plays the bytes received in recording FILE with their timing: press Start.</source>
        <translation>Port 1 öffnet ein virtuelles Modul, das die in der Aufnahme FILE empfangenen Bytes mit ihrem Zeitverlauf abspielt: Start drücken.</translation>
    </message>
    <message>
        <source>With --replay: play F times faster, F from 0.01 to 1000; 0 as fast as the line takes it (1).</source>
        <translation>Mit --replay: F-mal schneller abspielen, F von 0.01 bis 1000; 0 so schnell, wie die Leitung es zulässt (1).</translation>
    </message>
    <message>
        <source>Record every byte received, every command sent, Start, Stop and port changes to FILE until the program ends.</source>
        <translation>Jedes empfangene Byte, jeden gesendeten Befehl, Start, Stopp und Portwechsel bis zum Programmende in FILE aufnehmen.</translation>
    </message>
    <message>
        <source>Print the change history of recording FILE as CSV and exit (no window).</source>
        <translation>Den Änderungsverlauf der Aufnahme FILE als CSV ausgeben und beenden (kein Fenster).</translation>
    </message>
    <message>
        <source>Print per-input statistics of recording FILE as CSV and exit (no window).</source>
        <translation>Statistik je Eingang der Aufnahme FILE als CSV ausgeben und beenden (kein Fenster).</translation>
    </message>
    <message>
        <source>With --history or --inputs: a pulse or gap shorter than MS makes an input unstable (50).</source>
        <translation>Mit --history oder --inputs: ein Impuls oder eine Pause kürzer als MS macht einen Eingang instabil (50).</translation>
    </message>
    <message>
        <source>With --history or --inputs: N changes within less than MS make an input unstable (5/1000).</source>
        <translation>Mit --history oder --inputs: N Änderungen in weniger als MS machen einen Eingang instabil (5/1000).</translation>
    </message>
    <message>
        <source>Print the module check of recording FILE as text and exit (no window): modules configured, reported, missing and unknown, short and given-up bursts, stray bytes, unstable inputs.</source>
        <translation>Die Modulprüfung der Aufnahme FILE als Text ausgeben und beenden (kein Fenster): Module konfiguriert, gemeldet, fehlend und unbekannt, kurze und aufgegebene Bursts, lose Bytes, instabile Eingänge.</translation>
    </message>
    <message>
        <source>With --history or --inputs: separate the cells with CHAR, &apos;,&apos; or &apos;;&apos; (,).</source>
        <translation>Mit --history oder --inputs: Zellen mit CHAR trennen, &apos;,&apos; oder &apos;;&apos; (,).</translation>
    </message>
    <message>
        <source>Print the noise bursts (8 or more inputs over two or more modules changing in one burst) and given-up bursts of recording FILE as CSV and exit (no window).</source>
        <translation>Die Störbursts (8 oder mehr Eingänge in zwei oder mehr Modulen ändern sich in einem Burst) und aufgegebenen Bursts der Aufnahme FILE als CSV ausgeben und beenden (kein Fenster).</translation>
    </message>
    <message>
        <source>Draw the timeline of recording FILE as a PNG picture (see --png) and exit (no window).</source>
        <translation>Die Zeitachse der Aufnahme FILE als PNG-Bild zeichnen (siehe --png) und beenden (kein Fenster).</translation>
    </message>
    <message>
        <source>With --timeline: the PNG file to write.</source>
        <translation>Mit --timeline: die zu schreibende PNG-Datei.</translation>
    </message>
    <message>
        <source>With --timeline: start S seconds into the recording (0).</source>
        <translation>Mit --timeline: S Sekunden nach Beginn der Aufnahme anfangen (0).</translation>
    </message>
    <message>
        <source>With --timeline: end S seconds into the recording (its end).</source>
        <translation>Mit --timeline: S Sekunden nach Beginn der Aufnahme enden (ihr Ende).</translation>
    </message>
    <message>
        <source>Publish the inputs to an MQTT broker: mqtt://[user@]host[:port][/prefix] or mqtts://… (TLS). The password comes from --mqtt-password-file or S88_MQTT_PASSWORD.</source>
        <translation>Die Eingänge an einen MQTT-Broker senden: mqtt://[user@]host[:port][/prefix] oder mqtts://… (TLS). Das Passwort kommt aus --mqtt-password-file oder S88_MQTT_PASSWORD.</translation>
    </message>
    <message>
        <source>With an mqtts:// URL: trust the broker&apos;s certificate by this CA file instead of the system&apos;s.</source>
        <translation>Mit einer mqtts://-URL: dem Zertifikat des Brokers über diese CA-Datei statt der des Systems vertrauen.</translation>
    </message>
    <message>
        <source>With --mqtt: the broker password is the first line of FILE.</source>
        <translation>Mit --mqtt: das Broker-Passwort ist die erste Zeile von FILE.</translation>
    </message>
    <message>
        <source>With --mqtt: publish Home Assistant discovery configs for the counted inputs.</source>
        <translation>Mit --mqtt: Home-Assistant-Discovery-Konfigurationen für die gezählten Eingänge veröffentlichen.</translation>
    </message>
    <message>
        <source>With --mqtt: take module counts L,M,R on PREFIX/counts/set and send them as Indsæt (s) does.</source>
        <translation>Mit --mqtt: Modulanzahlen L,M,R auf PREFIX/counts/set annehmen und wie Indsæt (s) senden.</translation>
    </message>
    <message>
        <source>Run without a window or display: open the port, send the counts, feed --mqtt and --record until SIGTERM or SIGINT.</source>
        <translation>Ohne Fenster oder Bildschirm laufen: Port öffnen, Anzahlen senden, --mqtt und --record bedienen bis SIGTERM oder SIGINT.</translation>
    </message>
    <message>
        <source>With --headless: the module counts to send (else the stored ones).</source>
        <translation>Mit --headless: die zu sendenden Modulanzahlen (sonst die gespeicherten).</translation>
    </message>
    <message>
        <source>%1 or %2</source>
        <translation>%1 oder %2</translation>
    </message>
    <message>
        <source>Test and monitor tool for the Vorn S88 feedback interface module.

Port numbers 1 to 8 are the serial ports the system reports, sorted by name (a single USB adapter is port 1); ports given with --port come first and the others are numbered on from the system&apos;s list.</source>
        <translation>Test- und Monitorprogramm für das Vorn-S88-Rückmeldemodul.

Portnummern 1 bis 8 sind die seriellen Ports, die das System meldet, nach Namen sortiert (ein einzelner USB-Adapter ist Port 1); mit --port angegebene Ports kommen zuerst, die übrigen werden aus der Liste des Systems weiter nummeriert.</translation>
    </message>
    <message>
        <source>Usage: %1 [options]</source>
        <translation>Aufruf: %1 [Optionen]</translation>
    </message>
    <message>
        <source>%1 goes with %2</source>
        <translation>%1 gehört zu %2</translation>
    </message>
    <message>
        <source>%1 does not go with %2</source>
        <translation>%1 passt nicht zu %2</translation>
    </message>
    <message>
        <source>%1 needs %2</source>
        <translation>%1 braucht %2</translation>
    </message>
    <message>
        <source>With a report or --timeline: names for the inputs from CSV FILE (input,name), in a name column added last. With --headless: the names in the MQTT discovery and events (else those of the window&apos;s names file).</source>
        <translation>Mit einem Bericht oder --timeline: Namen der Eingänge aus der CSV-Datei FILE (Eingang,Name), in einer zuletzt angefügten Namensspalte. Mit --headless: die Namen in der MQTT-Discovery und den Ereignissen (sonst die der Namensdatei des Fensters).</translation>
    </message>
</context>
<context>
    <name>pathgate</name>
    <message>
        <source>is a folder</source>
        <translation>ist ein Ordner</translation>
    </message>
    <message>
        <source>is not a regular file</source>
        <translation>ist keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>no such file</source>
        <translation>keine solche Datei</translation>
    </message>
    <message>
        <source>cannot be read: %1</source>
        <translation>kann nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>larger than %1 KB</source>
        <translation>größer als %1 KB</translation>
    </message>
    <message>
        <source>no file name</source>
        <translation>kein Dateiname</translation>
    </message>
    <message>
        <source>is %1, which is being read</source>
        <translation>ist %1, die gerade gelesen wird</translation>
    </message>
</context>
<context>
    <name>preflight</name>
    <message>
        <source>no display: set DISPLAY, or use --history/--inputs/--headless for work without a window</source>
        <translation>kein Bildschirm: DISPLAY setzen, oder --history/--inputs/--headless für die Arbeit ohne Fenster verwenden</translation>
    </message>
    <message>
        <source>only %1 open files allowed (ulimit -n); the window needs %2</source>
        <translation>nur %1 offene Dateien erlaubt (ulimit -n); das Fenster braucht %2</translation>
    </message>
    <message>
        <source>cannot open the display %1: nothing answers there, or it refused this program; use --history/--inputs/--headless for work without a window</source>
        <translation>Bildschirm %1 lässt sich nicht öffnen: dort antwortet nichts, oder er hat dieses Programm abgewiesen; --history/--inputs/--headless für die Arbeit ohne Fenster verwenden</translation>
    </message>
    <message>
        <source>no display platform &quot;%1&quot; here (there are: %2)</source>
        <translation>keine Bildschirmplattform &quot;%1&quot; vorhanden (vorhanden sind: %2)</translation>
    </message>
</context>
<context>
    <name>recording</name>
    <message>
        <source>the file is empty</source>
        <translation>die Datei ist leer</translation>
    </message>
    <message>
        <source>not a recording</source>
        <translation>keine Aufnahme</translation>
    </message>
    <message>
        <source>cut short inside its header</source>
        <translation>im Kopf abgeschnitten</translation>
    </message>
    <message>
        <source>recording format version %1; this program reads version %2</source>
        <translation>Aufnahmeformat Version %1; dieses Programm liest Version %2</translation>
    </message>
    <message>
        <source>cut short inside a record at byte %1</source>
        <translation>in einem Datensatz bei Byte %1 abgeschnitten</translation>
    </message>
    <message>
        <source>%1 at byte %2</source>
        <translation>%1 bei Byte %2</translation>
    </message>
    <message>
        <source>cannot be read past byte %1: %2</source>
        <translation>nach Byte %1 nicht lesbar: %2</translation>
    </message>
    <message>
        <source>ends without its end record (the program did not end the recording)</source>
        <translation>endet ohne Schlussdatensatz (das Programm hat die Aufnahme nicht beendet)</translation>
    </message>
    <message>
        <source>an overlong number</source>
        <translation>eine überlange Zahl</translation>
    </message>
    <message>
        <source>a record of %1 bytes</source>
        <translation>ein Datensatz von %1 Bytes</translation>
    </message>
    <message>
        <source>a port record for port %1, state %2</source>
        <translation>ein Portdatensatz für Port %1, Zustand %2</translation>
    </message>
    <message>
        <source>an unknown record type 0x%1</source>
        <translation>ein unbekannter Datensatztyp 0x%1</translation>
    </message>
    <message>
        <source>a time beyond any recording</source>
        <translation>eine Zeit jenseits jeder Aufnahme</translation>
    </message>
    <message>
        <source>data after the end record</source>
        <translation>Daten nach dem Schlussdatensatz</translation>
    </message>
    <message>
        <source>is still being recorded</source>
        <translation>wird noch aufgenommen</translation>
    </message>
    <message>
        <source>start time %1 out of range</source>
        <translation>Startzeit %1 außerhalb des gültigen Bereichs</translation>
    </message>
</context>
<context>
    <name>reports</name>
    <message>
        <source> (reported up to %1 ms)</source>
        <translation> (gemeldet bis %1 ms)</translation>
    </message>
    <message>
        <source>%1: still being recorded; reported up to its %2 bytes at the start%3</source>
        <translation>%1: wird noch aufgenommen; berichtet bis zu den %2 Bytes vom Beginn%3</translation>
    </message>
    <message>
        <source>%1: grew while it was read; reported up to its %2 bytes at the start</source>
        <translation>%1: wuchs beim Lesen; berichtet bis zu den %2 Bytes vom Beginn</translation>
    </message>
</context>
<context>
    <name>summary</name>
    <message>
        <source>none</source>
        <translation>keine</translation>
    </message>
    <message>
        <source> (module %1 left out of the reply)</source>
        <translation> (Modul %1 fehlt in der Antwort)</translation>
    </message>
    <message>
        <source> (%1 with fewer reports than announced)</source>
        <translation> (%1 mit weniger Meldungen als angekündigt)</translation>
    </message>
    <message>
        <source>configured: %1</source>
        <translation>konfiguriert: %1</translation>
    </message>
    <message>
        <source>unknown (no count command recorded)</source>
        <translation>unbekannt (kein Anzahlbefehl aufgenommen)</translation>
    </message>
    <message>
        <source>reported: %1</source>
        <translation>gemeldet: %1</translation>
    </message>
    <message>
        <source>missing: %1</source>
        <translation>fehlend: %1</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>unbekannt</translation>
    </message>
    <message>
        <source>unknown: %1</source>
        <translation>unbekannt: %1</translation>
    </message>
    <message>
        <source>complete bursts: %1</source>
        <translation>vollständige Bursts: %1</translation>
    </message>
    <message>
        <source>short bursts: %1</source>
        <translation>kurze Bursts: %1</translation>
    </message>
    <message>
        <source>given up: %1</source>
        <translation>aufgegeben: %1</translation>
    </message>
    <message>
        <source>stray bytes: %1</source>
        <translation>lose Bytes: %1</translation>
    </message>
    <message>
        <source>bytes lost behind short bursts: %1</source>
        <translation>hinter kurzen Bursts verlorene Bytes: %1</translation>
    </message>
    <message>
        <source>changes: %1</source>
        <translation>Änderungen: %1</translation>
    </message>
    <message>
        <source>unstable inputs: %1</source>
        <translation>instabile Eingänge: %1</translation>
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
        <translation>--from %1 s liegt hinter dem Ende der Aufnahme bei %2 s</translation>
    </message>
</context>
<context>
    <name>topics</name>
    <message>
        <source>Indgang %1</source>
        <translation>Eingang %1</translation>
    </message>
    <message>
        <source>%1 (indgang %2)</source>
        <translation>%1 (Eingang %2)</translation>
    </message>
</context>
</TS>

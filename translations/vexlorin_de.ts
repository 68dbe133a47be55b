<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Application</name>
    <message>
        <source>Unknown language &quot;%1&quot; after --lang: use one of %2.</source>
        <translation>Unbekannte Sprache „%1“ nach --lang: verwenden Sie eine von %2.</translation>
    </message>
    <message>
        <source>The dark style could not be applied.</source>
        <translation>Das dunkle Erscheinungsbild konnte nicht angewendet werden.</translation>
    </message>
    <message>
        <source>The simulated router could not be started: %1</source>
        <translation>Der simulierte Router konnte nicht gestartet werden: %1</translation>
    </message>
    <message>
        <source>This build carries no simulated router.</source>
        <translation>Diese Programmversion enthält keinen simulierten Router.</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>Connecting to the router, please wait...</source>
        <translation>Verbindung zum Router wird aufgebaut, bitte warten...</translation>
    </message>
    <message>
        <source>Connected to router, logging in...</source>
        <translation>Mit dem Router verbunden, Anmeldung läuft...</translation>
    </message>
    <message>
        <source>Retrieving data...</source>
        <translation>Daten werden abgerufen...</translation>
    </message>
    <message>
        <source>Retrieving statistics, please wait...</source>
        <translation>Statistik wird abgerufen, bitte warten...</translation>
    </message>
    <message>
        <source>Retrieving HLOG data, please wait...</source>
        <translation>HLOG-Daten werden abgerufen, bitte warten...</translation>
    </message>
    <message>
        <source>Retrieving QLN data, please wait...</source>
        <translation>QLN-Daten werden abgerufen, bitte warten...</translation>
    </message>
    <message>
        <source>Retrieving SNR data, please wait...</source>
        <translation>SNR-Daten werden abgerufen, bitte warten...</translation>
    </message>
    <message>
        <source>Retrieving bins downstream, please wait...</source>
        <translation>Töne im Downstream werden abgerufen, bitte warten...</translation>
    </message>
    <message>
        <source>Retrieving bins upstream, please wait...</source>
        <translation>Töne im Upstream werden abgerufen, bitte warten...</translation>
    </message>
    <message>
        <source>Unable to connect</source>
        <translation>Verbindung nicht möglich</translation>
    </message>
    <message>
        <source>Unable to login</source>
        <translation>Anmeldung nicht möglich</translation>
    </message>
    <message>
        <source>Unable to login: the console&apos;s prompt is &quot;%1&gt; &quot;; set Router name: to %2</source>
        <translation>Anmeldung nicht möglich: die Eingabeaufforderung der Konsole lautet „%1&gt; “; setzen Sie Routername: auf %2</translation>
    </message>
    <message>
        <source>Only a single connection is allowed</source>
        <translation>Es ist nur eine einzige Verbindung erlaubt</translation>
    </message>
    <message>
        <source>Invalid login</source>
        <translation>Ungültige Anmeldung</translation>
    </message>
    <message>
        <source>Connection closed by the router</source>
        <translation>Verbindung vom Router beendet</translation>
    </message>
    <message>
        <source>The router sent too much data without a prompt</source>
        <translation>Der Router hat zu viele Daten ohne Eingabeaufforderung gesendet</translation>
    </message>
    <message>
        <source>The router stopped answering</source>
        <translation>Der Router antwortet nicht mehr</translation>
    </message>
    <message>
        <source>Line not in showtime: profile unknown</source>
        <translation>Leitung nicht synchron (kein Showtime): Profil unbekannt</translation>
    </message>
    <message>
        <source>Cannot connect to %1: %2</source>
        <translation>Verbindung zu %1 nicht möglich: %2</translation>
    </message>
    <message>
        <source>List index out of bounds (%1)</source>
        <translation>Listenindex außerhalb des gültigen Bereichs (%1)</translation>
    </message>
    <message>
        <source>Unknown error</source>
        <translation>Unbekannter Fehler</translation>
    </message>
    <message>
        <source>The reader has already been started</source>
        <translation>Der Abruf wurde bereits gestartet</translation>
    </message>
    <message>
        <source>Unable to retrieve profile from VDSL data</source>
        <translation>Das Profil lässt sich aus den VDSL-Daten nicht ermitteln</translation>
    </message>
    <message>
        <source>Unknown profile %1 in VDSL data</source>
        <translation>Unbekanntes Profil %1 in den VDSL-Daten</translation>
    </message>
    <message>
        <source>Text too long to be stored</source>
        <translation>Text zu lang zum Speichern</translation>
    </message>
    <message>
        <source>Stream read error</source>
        <translation>Fehler beim Lesen des Datenstroms</translation>
    </message>
    <message>
        <source>Invalid property value</source>
        <translation>Ungültiger Eigenschaftswert</translation>
    </message>
    <message>
        <source>Invalid configuration file</source>
        <translation>Ungültige Konfigurationsdatei</translation>
    </message>
    <message>
        <source>Not a valida &apos;DrayData&apos; file</source>
        <translation>Keine gültige &apos;DrayData&apos;-Datei</translation>
    </message>
    <message>
        <source>Cannot open file &quot;%1&quot;. %2</source>
        <translation>Die Datei „%1“ kann nicht geöffnet werden. %2</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;. %2</source>
        <translation>Die Datei „%1“ kann nicht angelegt werden. %2</translation>
    </message>
    <message>
        <source>The file is larger than %1</source>
        <translation>Die Datei ist größer als %1</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid integer value</source>
        <translation>&apos;%1&apos; ist keine gültige ganze Zahl</translation>
    </message>
    <message>
        <source>The bins capture%1 holds neither &quot;DOWNSTREAM :&quot; nor &quot;UPSTREAM :&quot;; give a capture of the router&apos;s answers to &quot;vdsl showbins&quot; and &quot;vdsl showbins up&quot;</source>
        <translation>Die Aufzeichnung der Töne%1 enthält weder „DOWNSTREAM :“ noch „UPSTREAM :“; geben Sie eine Aufzeichnung der Antworten des Routers auf „vdsl showbins“ und „vdsl showbins up“ an</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>SNR per tone over time, downstream</source>
        <translation>SNR je Ton über die Zeit, Downstream</translation>
    </message>
    <message>
        <source>SNR per tone over time, upstream</source>
        <translation>SNR je Ton über die Zeit, Upstream</translation>
    </message>
    <message>
        <source>dB</source>
        <translation>dB</translation>
    </message>
</context>
<context>
    <name>Summary</name>
    <message>
        <source>Line state</source>
        <translation>Leitungszustand</translation>
    </message>
    <message>
        <source>Running mode</source>
        <translation>Betriebsart</translation>
    </message>
    <message>
        <source>Firmware version</source>
        <translation>Firmware-Version</translation>
    </message>
    <message>
        <source>DSLAM chipset vendor</source>
        <translation>Chipsatzhersteller des DSLAM</translation>
    </message>
    <message>
        <source>Modem chipset vendor</source>
        <translation>Chipsatzhersteller des Modems</translation>
    </message>
    <message>
        <source>Annex</source>
        <translation>Annex</translation>
    </message>
    <message>
        <source>Vectoring</source>
        <translation>Vectoring</translation>
    </message>
    <message>
        <source>Resets</source>
        <translation>Neustarts</translation>
    </message>
    <message>
        <source>Link times (retrains)</source>
        <translation>Verbindungsaufbauten (Resyncs)</translation>
    </message>
    <message>
        <source>Actual rate</source>
        <translation>Aktuelle Datenrate</translation>
    </message>
    <message>
        <source>Attainable rate</source>
        <translation>Erreichbare Datenrate</translation>
    </message>
    <message>
        <source>SNR margin</source>
        <translation>SNR-Marge</translation>
    </message>
    <message>
        <source>Line attenuation</source>
        <translation>Leitungsdämpfung</translation>
    </message>
    <message>
        <source>Signal attenuation</source>
        <translation>Signaldämpfung</translation>
    </message>
    <message>
        <source>Actual PSD</source>
        <translation>Aktuelle Sendeleistungsdichte (PSD)</translation>
    </message>
    <message>
        <source>Path mode</source>
        <translation>Pfadmodus</translation>
    </message>
    <message>
        <source>Interleave depth</source>
        <translation>Interleaving-Tiefe</translation>
    </message>
    <message>
        <source>Impulse noise protection (INP)</source>
        <translation>Impulsstörschutz (INP)</translation>
    </message>
    <message>
        <source>Interleave delay</source>
        <translation>Interleaving-Verzögerung</translation>
    </message>
    <message>
        <source>CRC errors</source>
        <translation>CRC-Fehler</translation>
    </message>
    <message>
        <source>FEC corrections</source>
        <translation>FEC-Korrekturen</translation>
    </message>
    <message>
        <source>Errored seconds (ES)</source>
        <translation>Fehlersekunden (ES)</translation>
    </message>
    <message>
        <source>Severely errored seconds (SES)</source>
        <translation>Stark gestörte Sekunden (SES)</translation>
    </message>
    <message>
        <source>Unavailable seconds (UAS)</source>
        <translation>Nicht verfügbare Sekunden (UAS)</translation>
    </message>
    <message>
        <source>Loss-of-signal seconds (LOSS)</source>
        <translation>Sekunden mit Signalverlust (LOSS)</translation>
    </message>
    <message>
        <source>FEC seconds (FECS)</source>
        <translation>Sekunden mit FEC-Korrekturen (FECS)</translation>
    </message>
    <message>
        <source>HEC errors</source>
        <translation>HEC-Fehler</translation>
    </message>
    <message>
        <source>First tone</source>
        <translation>Erster Ton</translation>
    </message>
    <message>
        <source>Last tone</source>
        <translation>Letzter Ton</translation>
    </message>
    <message>
        <source>LATN</source>
        <translation>LATN</translation>
    </message>
    <message>
        <source>SATN</source>
        <translation>SATN</translation>
    </message>
    <message>
        <source>SNRM</source>
        <translation>SNRM</translation>
    </message>
    <message>
        <source>Tones with bits loaded</source>
        <translation>Töne mit Bitbelegung</translation>
    </message>
    <message>
        <source>Bits per symbol</source>
        <translation>Bits pro Symbol</translation>
    </message>
    <message>
        <source>Rate of the loaded bits</source>
        <translation>Datenrate der belegten Bits</translation>
    </message>
</context>
<context>
    <name>TLineCharts</name>
    <message>
        <source>%1 (reference: %2)</source>
        <translation>%1 (Referenz: %2)</translation>
    </message>
    <message>
        <source>bits</source>
        <translation>Bits</translation>
    </message>
    <message>
        <source>dB</source>
        <translation>dB</translation>
    </message>
    <message>
        <source>no value</source>
        <translation>kein Wert</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keiner</translation>
    </message>
    <message>
        <source>%1: %2, reference %3, Δ %4</source>
        <translation>%1: %2, Referenz %3, Δ %4</translation>
    </message>
    <message>
        <source>HLog</source>
        <translation>HLog</translation>
    </message>
    <message>
        <source>QLN</source>
        <translation>QLN</translation>
    </message>
    <message>
        <source>dBm/Hz</source>
        <translation>dBm/Hz</translation>
    </message>
    <message>
        <source>SNR</source>
        <translation>SNR</translation>
    </message>
    <message>
        <source>Allocated bits per tone</source>
        <translation>Bitbelegung pro Ton</translation>
    </message>
    <message>
        <source>Bits</source>
        <translation>Bits</translation>
    </message>
    <message>
        <source>Gain</source>
        <translation>Verstärkung</translation>
    </message>
    <message>
        <source>Bins</source>
        <translation>Töne</translation>
    </message>
</context>
<context>
    <name>TQtUserDialogs</name>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>TSummaryView</name>
    <message>
        <source>same</source>
        <translation>gleich</translation>
    </message>
    <message>
        <source>changed</source>
        <translation>geändert</translation>
    </message>
</context>
<context>
    <name>vexlorin::TChart</name>
    <message>
        <source>Tone %1 (%2 kHz)</source>
        <translation>Ton %1 (%2 kHz)</translation>
    </message>
    <message>
        <source>no value</source>
        <translation>kein Wert</translation>
    </message>
</context>
<context>
    <name>vexlorin::THistoryCharts</name>
    <message>
        <source>Show:</source>
        <translation>Zeigen:</translation>
    </message>
    <message>
        <source>Last hour</source>
        <translation>Letzte Stunde</translation>
    </message>
    <message>
        <source>Last day</source>
        <translation>Letzter Tag</translation>
    </message>
    <message>
        <source>Last week</source>
        <translation>Letzte Woche</translation>
    </message>
    <message>
        <source>All</source>
        <translation>Alles</translation>
    </message>
    <message>
        <source>Per tone:</source>
        <translation>Je Ton:</translation>
    </message>
    <message>
        <source>SNR</source>
        <translation>SNR</translation>
    </message>
    <message>
        <source>Bit loading</source>
        <translation>Bitbelegung</translation>
    </message>
    <message>
        <source>Downstream</source>
        <translation>Downstream</translation>
    </message>
    <message>
        <source>Upstream</source>
        <translation>Upstream</translation>
    </message>
    <message>
        <source>The direction the waterfall shows</source>
        <translation>Die Richtung, die der Wasserfall zeigt</translation>
    </message>
    <message>
        <source>Time charts</source>
        <translation>Zeitdiagramme</translation>
    </message>
    <message>
        <source>Tones</source>
        <translation>Töne</translation>
    </message>
    <message>
        <source>dB</source>
        <translation>dB</translation>
    </message>
    <message>
        <source>Envelope</source>
        <translation>Hüllkurve</translation>
    </message>
    <message>
        <source>Waterfall</source>
        <translation>Wasserfall</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Save as image...</source>
        <translation>Als Bild speichern...</translation>
    </message>
    <message>
        <source>Save chart as image</source>
        <translation>Diagramm als Bild speichern</translation>
    </message>
    <message>
        <source>PNG image</source>
        <translation>PNG-Bild</translation>
    </message>
    <message>
        <source>SVG image</source>
        <translation>SVG-Bild</translation>
    </message>
    <message>
        <source>Rates</source>
        <translation>Datenraten</translation>
    </message>
    <message>
        <source>Mbit/s</source>
        <translation>Mbit/s</translation>
    </message>
    <message>
        <source>DS actual</source>
        <translation>DS aktuell</translation>
    </message>
    <message>
        <source>DS attainable</source>
        <translation>DS erreichbar</translation>
    </message>
    <message>
        <source>US actual</source>
        <translation>US aktuell</translation>
    </message>
    <message>
        <source>US attainable</source>
        <translation>US erreichbar</translation>
    </message>
    <message>
        <source>SNR margin</source>
        <translation>SNR-Marge</translation>
    </message>
    <message>
        <source>Attenuation</source>
        <translation>Leitungsdämpfung</translation>
    </message>
    <message>
        <source>DS</source>
        <translation>DS</translation>
    </message>
    <message>
        <source>US</source>
        <translation>US</translation>
    </message>
    <message>
        <source>no samples</source>
        <translation>keine Messungen</translation>
    </message>
    <message>
        <source>%1 to %2</source>
        <translation>%1 bis %2</translation>
    </message>
    <message numerus="yes">
        <source>SNR per tone: minimum, mean and maximum of %n sets</source>
        <translation>
            <numerusform>SNR je Ton: Minimum, Mittel und Maximum von %n Satz</numerusform>
            <numerusform>SNR je Ton: Minimum, Mittel und Maximum von %n Sätzen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Bit loading per tone: minimum, mean and maximum of %n sets</source>
        <translation>
            <numerusform>Bitbelegung je Ton: Minimum, Mittel und Maximum von %n Satz</numerusform>
            <numerusform>Bitbelegung je Ton: Minimum, Mittel und Maximum von %n Sätzen</numerusform>
        </translation>
    </message>
    <message>
        <source>bits</source>
        <translation>Bits</translation>
    </message>
    <message>
        <source>%1 max</source>
        <translation>%1 max.</translation>
    </message>
    <message>
        <source>%1 mean</source>
        <translation>%1 Mittel</translation>
    </message>
    <message>
        <source>%1 min</source>
        <translation>%1 min.</translation>
    </message>
    <message>
        <source>downstream</source>
        <translation>Downstream</translation>
    </message>
    <message>
        <source>upstream</source>
        <translation>Upstream</translation>
    </message>
    <message>
        <source>SNR per tone over time, %1</source>
        <translation>SNR je Ton über die Zeit, %1</translation>
    </message>
    <message>
        <source>Bit loading per tone over time, %1</source>
        <translation>Bitbelegung je Ton über die Zeit, %1</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;</source>
        <translation>Die Datei &quot;%1&quot; kann nicht angelegt werden</translation>
    </message>
</context>
<context>
    <name>vexlorin::THistoryPlot</name>
    <message>
        <source>Retrain</source>
        <translation>Neusynchronisation</translation>
    </message>
    <message>
        <source>Line down</source>
        <translation>Leitung getrennt</translation>
    </message>
    <message>
        <source>Line up</source>
        <translation>Leitung verbunden</translation>
    </message>
    <message>
        <source>Counters reset</source>
        <translation>Zähler zurückgesetzt</translation>
    </message>
    <message>
        <source>Router unreachable</source>
        <translation>Router nicht erreichbar</translation>
    </message>
    <message>
        <source>Router reachable again</source>
        <translation>Router wieder erreichbar</translation>
    </message>
    <message>
        <source>no value</source>
        <translation>kein Wert</translation>
    </message>
</context>
<context>
    <name>vexlorin::THistoryWaterfall</name>
    <message>
        <source>Tones</source>
        <translation>Töne</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <source>%1, tone %2: %3</source>
        <translation>%1, Ton %2: %3</translation>
    </message>
    <message>
        <source>no set</source>
        <translation>kein Satz</translation>
    </message>
</context>
<context>
    <name>vexlorin::THistoryWindow</name>
    <message>
        <source>Computing the envelope and the waterfall...</source>
        <translation>Hüllkurve und Wasserfall werden berechnet...</translation>
    </message>
    <message>
        <source>Computing the envelope and the waterfall: %1 of %2 sets...</source>
        <translation>Hüllkurve und Wasserfall werden berechnet: %1 von %2 Sätzen...</translation>
    </message>
    <message>
        <source>History file (*.sqlite)</source>
        <translation>Verlaufsdatei (*.sqlite)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Vexlorin - history</source>
        <translation>Vexlorin - Verlauf</translation>
    </message>
    <message>
        <source>Open history...</source>
        <translation>Verlauf öffnen...</translation>
    </message>
    <message>
        <source>No history file open</source>
        <translation>Keine Verlaufsdatei geöffnet</translation>
    </message>
    <message>
        <source>Open history file</source>
        <translation>Verlaufsdatei öffnen</translation>
    </message>
    <message>
        <source>The history file &quot;%1&quot; does not exist. Choose a file recorded by &quot;Watch&quot; or by vexlorin-cli watch.</source>
        <translation>Die Verlaufsdatei &quot;%1&quot; gibt es nicht. Wählen Sie eine Datei, die &quot;Beobachten&quot; oder vexlorin-cli watch aufgezeichnet hat.</translation>
    </message>
    <message numerus="yes">
        <source> - %1:%2 (%3), %n samples</source>
        <translation>
            <numerusform> - %1:%2 (%3), %n Messung</numerusform>
            <numerusform> - %1:%2 (%3), %n Messungen</numerusform>
        </translation>
    </message>
    <message>
        <source> - no samples yet</source>
        <translation> - noch keine Messungen</translation>
    </message>
    <message>
        <source>Vexlorin - history - %1</source>
        <translation>Vexlorin - Verlauf - %1</translation>
    </message>
    <message>
        <source>The history file can no longer be read: %1</source>
        <translation>Die Verlaufsdatei kann nicht mehr gelesen werden: %1</translation>
    </message>
</context>
<context>
    <name>vexlorin::TLineCharts</name>
    <message>
        <source>Frequency axis</source>
        <translation>Frequenzachse</translation>
    </message>
    <message>
        <source>Label the tone axes with the tones&apos; frequencies in MHz</source>
        <translation>Die Tonachsen mit den Frequenzen der Töne in MHz beschriften</translation>
    </message>
    <message>
        <source>Show difference</source>
        <translation>Differenz zeigen</translation>
    </message>
    <message>
        <source>Show the selected set minus the reference set on every chart</source>
        <translation>In jedem Diagramm den gewählten Datensatz abzüglich des Referenzdatensatzes zeigen</translation>
    </message>
    <message>
        <source>MHz</source>
        <translation>MHz</translation>
    </message>
    <message>
        <source>Bins</source>
        <translation>Töne</translation>
    </message>
    <message>
        <source>Tones</source>
        <translation>Töne</translation>
    </message>
    <message>
        <source>Δ bits</source>
        <translation>Δ Bits</translation>
    </message>
    <message>
        <source>Δ dB</source>
        <translation>Δ dB</translation>
    </message>
    <message>
        <source>US</source>
        <translation>US</translation>
    </message>
    <message>
        <source>DS</source>
        <translation>DS</translation>
    </message>
    <message>
        <source>SNR Downstream</source>
        <translation>SNR Downstream</translation>
    </message>
    <message>
        <source>SNR Upstream</source>
        <translation>SNR Upstream</translation>
    </message>
    <message>
        <source>Save chart as image</source>
        <translation>Diagramm als Bild speichern</translation>
    </message>
    <message>
        <source>PNG image (*.png)</source>
        <translation>PNG-Bild (*.png)</translation>
    </message>
    <message>
        <source>SVG image (*.svg)</source>
        <translation>SVG-Bild (*.svg)</translation>
    </message>
    <message>
        <source>Show raw data...</source>
        <translation>Rohdaten zeigen...</translation>
    </message>
    <message>
        <source>Bitloading</source>
        <translation>Bitbelegung</translation>
    </message>
    <message>
        <source>Gain</source>
        <translation>Verstärkung</translation>
    </message>
    <message>
        <source>SNR</source>
        <translation>SNR</translation>
    </message>
    <message>
        <source>VDSL profile: %1</source>
        <translation>VDSL-Profil: %1</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Save as image...</source>
        <translation>Als Bild speichern...</translation>
    </message>
    <message>
        <source>The image could not be written</source>
        <translation>Das Bild konnte nicht geschrieben werden</translation>
    </message>
</context>
<context>
    <name>vexlorin::TRawLinesWindow</name>
    <message>
        <source>Raw bins data</source>
        <translation>Rohdaten der Töne</translation>
    </message>
    <message>
        <source>Upstream</source>
        <translation>Upstream</translation>
    </message>
    <message>
        <source>Downstream</source>
        <translation>Downstream</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Raw Data</source>
        <translation>Rohdaten</translation>
    </message>
    <message>
        <source>HLOG Raw Data</source>
        <translation>HLOG-Rohdaten</translation>
    </message>
    <message>
        <source>QLN Raw Data</source>
        <translation>QLN-Rohdaten</translation>
    </message>
    <message>
        <source>SNR Raw Data</source>
        <translation>SNR-Rohdaten</translation>
    </message>
</context>
<context>
    <name>vexlorin::TSummaryView</name>
    <message>
        <source>Line</source>
        <translation>Leitung</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Wert</translation>
    </message>
    <message>
        <source>Downstream</source>
        <translation>Downstream</translation>
    </message>
    <message>
        <source>Upstream</source>
        <translation>Upstream</translation>
    </message>
    <message>
        <source>Band</source>
        <translation>Band</translation>
    </message>
    <message>
        <source>Direction</source>
        <translation>Richtung</translation>
    </message>
    <message>
        <source>Copy all</source>
        <translation>Alles kopieren</translation>
    </message>
    <message>
        <source>Copy the whole summary as text</source>
        <translation>Die ganze Übersicht als Text kopieren</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>No statistics set is shown.</source>
        <translation>Es wird kein Statistikdatensatz gezeigt.</translation>
    </message>
    <message>
        <source>The statistics text of this set holds no line values, and it has no bins tables.</source>
        <translation>Der Statistiktext dieses Datensatzes enthält keine Leitungswerte, und er hat keine Tontabellen.</translation>
    </message>
    <message>
        <source>Compared with the reference set &quot;%1&quot;: its values, and this set&apos;s minus them, are in the columns on the right.</source>
        <translation>Verglichen mit dem Referenzdatensatz „%1“: seine Werte und die Differenz dieses Datensatzes dazu stehen in den Spalten rechts.</translation>
    </message>
    <message>
        <source>Reference</source>
        <translation>Referenz</translation>
    </message>
    <message>
        <source>Difference</source>
        <translation>Differenz</translation>
    </message>
    <message>
        <source>Reference downstream</source>
        <translation>Referenz Downstream</translation>
    </message>
    <message>
        <source>Reference upstream</source>
        <translation>Referenz Upstream</translation>
    </message>
    <message>
        <source>Difference downstream</source>
        <translation>Differenz Downstream</translation>
    </message>
    <message>
        <source>Difference upstream</source>
        <translation>Differenz Upstream</translation>
    </message>
    <message>
        <source>Reference %1</source>
        <translation>Referenz %1</translation>
    </message>
    <message>
        <source>Δ %1</source>
        <translation>Δ %1</translation>
    </message>
</context>
<context>
    <name>vexlorin::TfrmAbout</name>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Reads the line statistics of a DrayTek Vigor VDSL router over its telnet console and shows them as text and charts: HLog, QLN, SNR, bit loading and gain, upstream and downstream.</source>
        <translation>Liest die Leitungsstatistik eines DrayTek-Vigor-VDSL-Routers über seine Telnet-Konsole und zeigt sie als Text und Diagramme: HLog, QLN, SNR, Bitbelegung und Verstärkung, im Upstream und im Downstream.</translation>
    </message>
    <message>
        <source>Free software under the MIT licence: use, copy, change and share it.</source>
        <translation>Freie Software unter der MIT-Lizenz: Sie dürfen sie nutzen, kopieren, ändern und weitergeben.</translation>
    </message>
    <message>
        <source>Found a problem? Please report it on the project&apos;s issue tracker.</source>
        <translation>Einen Fehler gefunden? Bitte melden Sie ihn im Issue-Tracker des Projekts.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
</context>
<context>
    <name>vexlorin::TfrmLoadDataFromFiles</name>
    <message>
        <source>Text files (*.txt)</source>
        <translation>Textdateien (*.txt)</translation>
    </message>
    <message>
        <source>HLog files (*.hlog)</source>
        <translation>HLog-Dateien (*.hlog)</translation>
    </message>
    <message>
        <source>QLN files (*.qln)</source>
        <translation>QLN-Dateien (*.qln)</translation>
    </message>
    <message>
        <source>SNR files (*.snr)</source>
        <translation>SNR-Dateien (*.snr)</translation>
    </message>
    <message>
        <source>Bins files (*.bins)</source>
        <translation>Ton-Dateien (*.bins)</translation>
    </message>
    <message>
        <source>Any file (*.*)</source>
        <translation>Alle Dateien (*.*)</translation>
    </message>
    <message>
        <source>Load data from files</source>
        <translation>Daten aus Dateien laden</translation>
    </message>
    <message>
        <source>Load file</source>
        <translation>Datei laden</translation>
    </message>
    <message>
        <source>Select...</source>
        <translation>Wählen...</translation>
    </message>
    <message>
        <source>Select status capture...</source>
        <translation>Statusaufzeichnung wählen...</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>vexlorin::TfrmMain</name>
    <message>
        <source>Configuration</source>
        <translation>Konfiguration</translation>
    </message>
    <message>
        <source>Statistics</source>
        <translation>Statistik</translation>
    </message>
    <message>
        <source>Retrieve data</source>
        <translation>Daten abrufen</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Stop the running retrieval</source>
        <translation>Den laufenden Abruf anhalten</translation>
    </message>
    <message>
        <source>Load data from file...</source>
        <translation>Daten aus Datei laden...</translation>
    </message>
    <message>
        <source>Load configuration...</source>
        <translation>Konfiguration laden...</translation>
    </message>
    <message>
        <source>Save configuration...</source>
        <translation>Konfiguration speichern...</translation>
    </message>
    <message>
        <source>Load statistics...</source>
        <translation>Statistik laden...</translation>
    </message>
    <message>
        <source>Save statistics...</source>
        <translation>Statistik speichern...</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Remove all</source>
        <translation>Alle entfernen</translation>
    </message>
    <message>
        <source>Legend...</source>
        <translation>Legende...</translation>
    </message>
    <message>
        <source>Compare with selected</source>
        <translation>Mit gewähltem vergleichen</translation>
    </message>
    <message>
        <source>Stop comparing</source>
        <translation>Vergleich beenden</translation>
    </message>
    <message>
        <source>Reference set: the selected set is compared with it</source>
        <translation>Referenzdatensatz: der gewählte Datensatz wird mit ihm verglichen</translation>
    </message>
    <message>
        <source>Data already loaded</source>
        <translation>Daten bereits geladen</translation>
    </message>
    <message>
        <source>Step %v of %m</source>
        <translation>Schritt %v von %m</translation>
    </message>
    <message>
        <source>Router FQDN or IP address</source>
        <translation>FQDN oder IP-Adresse des Routers</translation>
    </message>
    <message>
        <source>Router address:</source>
        <translation>Routeradresse:</translation>
    </message>
    <message>
        <source>Router fqnd or IP address</source>
        <translation>FQDN oder IP-Adresse des Routers</translation>
    </message>
    <message>
        <source>Port:</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>Router telnet port</source>
        <translation>Telnet-Port des Routers</translation>
    </message>
    <message>
        <source>User:</source>
        <translation>Benutzer:</translation>
    </message>
    <message>
        <source>Router logon user</source>
        <translation>Benutzer für die Anmeldung am Router</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Passwort:</translation>
    </message>
    <message>
        <source>Router logon password</source>
        <translation>Passwort für die Anmeldung am Router</translation>
    </message>
    <message>
        <source>Router name:</source>
        <translation>Routername:</translation>
    </message>
    <message>
        <source>Router name, as displayed in the telnet prompt</source>
        <translation>Name des Routers, wie ihn die Telnet-Eingabeaufforderung zeigt</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <source>Include &quot;bins&quot; data (slower)</source>
        <translation>Tondaten („bins“) abrufen (langsamer)</translation>
    </message>
    <message>
        <source>When set, output will include vdsl show bins [up] data</source>
        <translation>Wenn gesetzt, werden auch die Daten von vdsl showbins [up] abgerufen</translation>
    </message>
    <message>
        <source>SNR data only in first 512 bins</source>
        <translation>SNR-Daten nur in den ersten 512 Tönen</translation>
    </message>
    <message>
        <source>When set, show SNR data from the fisrt 512 bins only</source>
        <translation>Wenn gesetzt, werden SNR-Daten nur aus den ersten 512 Tönen gezeigt</translation>
    </message>
    <message>
        <source>VDSL profile: N/A</source>
        <translation>VDSL-Profil: k. A.</translation>
    </message>
    <message>
        <source>Retrieve</source>
        <translation>Abrufen</translation>
    </message>
    <message>
        <source>Available statistics:</source>
        <translation>Vorhandene Statistiken:</translation>
    </message>
    <message>
        <source>About...</source>
        <translation>Über...</translation>
    </message>
    <message>
        <source>Router</source>
        <translation>Router</translation>
    </message>
    <message>
        <source>Summary</source>
        <translation>Übersicht</translation>
    </message>
    <message>
        <source>Save configuration file</source>
        <translation>Konfigurationsdatei speichern</translation>
    </message>
    <message>
        <source>Configuration file</source>
        <translation>Konfigurationsdatei</translation>
    </message>
    <message>
        <source>Configuration file (*.conf)</source>
        <translation>Konfigurationsdatei (*.conf)</translation>
    </message>
    <message>
        <source>Save statistics to file</source>
        <translation>Statistik in Datei speichern</translation>
    </message>
    <message>
        <source>DrayData file (*.draydata)</source>
        <translation>DrayData-Datei (*.draydata)</translation>
    </message>
    <message>
        <source>All files (*.*)</source>
        <translation>Alle Dateien (*.*)</translation>
    </message>
    <message>
        <source>Open statistics file</source>
        <translation>Statistikdatei öffnen</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Reader thread already running</source>
        <translation>Ein Abruf läuft bereits</translation>
    </message>
    <message>
        <source>Retrieval stopped</source>
        <translation>Abruf angehalten</translation>
    </message>
    <message>
        <source>Vexlorin - simulated router</source>
        <translation>Vexlorin - simulierter Router</translation>
    </message>
    <message>
        <source>Simulated router console at %1:%2</source>
        <translation>Konsole des simulierten Routers auf %1:%2</translation>
    </message>
    <message>
        <source>Demo: reads a simulated router, not a real one. Choose &quot;Retrieve&quot; to read it.</source>
        <translation>Demo: liest einen simulierten Router, keinen echten. Wählen Sie „Abrufen“, um ihn zu lesen.</translation>
    </message>
    <message>
        <source>History</source>
        <translation>Verlauf</translation>
    </message>
    <message>
        <source>Watch</source>
        <translation>Beobachten</translation>
    </message>
    <message>
        <source>Record the line into the history file at the interval, until pressed again</source>
        <translation>Die Leitung im Abstand in die Verlaufsdatei aufzeichnen, bis erneut gedrückt</translation>
    </message>
    <message>
        <source>Choose history file...</source>
        <translation>Verlaufsdatei wählen...</translation>
    </message>
    <message>
        <source>Open history...</source>
        <translation>Verlauf öffnen...</translation>
    </message>
    <message>
        <source>Add to list</source>
        <translation>Zur Liste</translation>
    </message>
    <message>
        <source>Put the set shown (a watched sample or a set of the history) into the list of statistics</source>
        <translation>Den gezeigten Satz (eine beobachtete Messung oder einen Satz des Verlaufs) in die Liste der Statistiken aufnehmen</translation>
    </message>
    <message>
        <source>Choose history file</source>
        <translation>Verlaufsdatei wählen</translation>
    </message>
    <message>
        <source>Open history file</source>
        <translation>Verlaufsdatei öffnen</translation>
    </message>
    <message>
        <source> s</source>
        <translation> s</translation>
    </message>
    <message>
        <source>Time between two samples</source>
        <translation>Zeit zwischen zwei Messungen</translation>
    </message>
    <message>
        <source> min</source>
        <translation> min</translation>
    </message>
    <message>
        <source>How often a sample also reads the per-tone tables</source>
        <translation>Wie oft eine Messung auch die Tabellen je Ton liest</translation>
    </message>
    <message>
        <source>every</source>
        <translation>alle</translation>
    </message>
    <message>
        <source>bins every</source>
        <translation>Bins alle</translation>
    </message>
    <message>
        <source>Stopping...</source>
        <translation>Wird beendet...</translation>
    </message>
    <message>
        <source>Watch records into %1</source>
        <translation>Beobachten zeichnet auf in %1</translation>
    </message>
    <message>
        <source>Watch stops after the sample in progress</source>
        <translation>Beobachten endet nach der laufenden Messung</translation>
    </message>
    <message>
        <source>Watching %1:%2 into %3</source>
        <translation>Beobachte %1:%2, Aufzeichnung in %3</translation>
    </message>
    <message>
        <source>Watch stopped</source>
        <translation>Beobachten beendet</translation>
    </message>
    <message>
        <source>Shown from the history: %1 (&quot;Add to list&quot; keeps it)</source>
        <translation>Aus dem Verlauf: %1 (&quot;Zur Liste&quot; behält ihn)</translation>
    </message>
</context>
<context>
    <name>vexlorin::TfrmxDSLStatLegend</name>
    <message>
        <source>xDSL stat legend</source>
        <translation>Legende der xDSL-Statistik</translation>
    </message>
</context>
</TS>

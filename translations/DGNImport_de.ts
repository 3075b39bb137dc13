<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>CDgnImportDlg</name>
    <message>
        <source>Files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>&amp;Master units [%1]</source>
        <translation>&amp;Haupteinheiten [%1]</translation>
    </message>
    <message>
        <source>S&amp;ub units [%1]</source>
        <translation>&amp;Untereinheiten [%1]</translation>
    </message>
    <message>
        <source>DGN (*.dgn)</source>
        <translation>DGN-Dateien (*.dgn)</translation>
    </message>
    <message>
        <source>Unable to locate file.</source>
        <translation>Die Datei wurde nicht gefunden.</translation>
    </message>
    <message>
        <source>Invalid file. file %1 has unsupported or unrecognized format.</source>
        <translation>Ungültige Datei. Die Datei %1 hat ein nicht unterstütztes oder unbekanntes Format.</translation>
    </message>
    <message>
        <source>This Drawing cannot be loaded because it is not a DGN file.</source>
        <translation>Diese Zeichnung kann nicht geladen werden, da sie keine DGN-Datei ist.</translation>
    </message>
    <message>
        <source>Conversion units</source>
        <translation>Einheitenwahl</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Starten</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Batch Processing</source>
        <translation>Stapelverarbeitung</translation>
    </message>
    <message>
        <source>No DGN file found in the specified path.</source>
        <translation>Im angegebenen Pfad wurde keine DGN-Datei gefunden.</translation>
    </message>
    <message>
        <source>Design model</source>
        <translation>Designmodell</translation>
    </message>
    <message>
        <source>Unit value</source>
        <translation>Einheit</translation>
    </message>
    <message>
        <source>Master units</source>
        <translation>Haupteinheiten</translation>
    </message>
    <message>
        <source>Sub units</source>
        <translation>Untereinheiten</translation>
    </message>
    <message>
        <source>DGN Import</source>
        <translation>DGN-Import</translation>
    </message>
    <message>
        <source>Mode</source>
        <translation>Modus</translation>
    </message>
    <message>
        <source>&amp;Insert as Block</source>
        <translation>Als Block &amp;einfügen</translation>
    </message>
    <message>
        <source>&amp;Batch processing</source>
        <translation>&amp;Stapelverarbeitung</translation>
    </message>
    <message>
        <source>Explode te&amp;xt node to text elements</source>
        <translation>Textknoten in &amp;Textelemente auflösen</translation>
    </message>
    <message>
        <source>DGN file</source>
        <translation>DGN-Datei</translation>
    </message>
    <message>
        <source>Name:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>Bro&amp;wse...</source>
        <translation>&amp;Durchsuchen...</translation>
    </message>
    <message>
        <source>Path:</source>
        <translation>Pfad:</translation>
    </message>
    <message>
        <source>Select a design model</source>
        <translation>Designmodell wählen</translation>
    </message>
    <message>
        <source>Position</source>
        <translation>Einfügepunkt</translation>
    </message>
    <message>
        <source>Scale</source>
        <translation>Maßstab</translation>
    </message>
    <message>
        <source>&amp;Specify later</source>
        <translation>Später an&amp;geben</translation>
    </message>
    <message>
        <source>Specify &amp;later</source>
        <translation>S&amp;päter angeben</translation>
    </message>
    <message>
        <source>&amp;Factor:</source>
        <translation>&amp;Faktor:</translation>
    </message>
    <message>
        <source>Rotation</source>
        <translation>Drehung</translation>
    </message>
    <message>
        <source>Sp&amp;ecify later</source>
        <translation>Später &amp;angeben</translation>
    </message>
    <message>
        <source>&amp;Angle:</source>
        <translation>&amp;Winkel:</translation>
    </message>
    <message>
        <source>DGN file units</source>
        <translation>DGN-Dateieinheiten</translation>
    </message>
    <message>
        <source>Convert drawing to</source>
        <translation>Zeichnung konvertieren in</translation>
    </message>
    <message>
        <source>&amp;Master units</source>
        <translation>&amp;Haupteinheiten</translation>
    </message>
    <message>
        <source>Uni&amp;ts:</source>
        <translation>Ei&amp;nheiten:</translation>
    </message>
    <message>
        <source>S&amp;ub units</source>
        <translation>&amp;Untereinheiten</translation>
    </message>
    <message>
        <source>Factor:</source>
        <translation>Faktor:</translation>
    </message>
    <message>
        <source>DGN files</source>
        <translation>DGN-Dateien</translation>
    </message>
    <message>
        <source>Source Path:</source>
        <translation>Quellpfad:</translation>
    </message>
    <message>
        <source>Destination Path:</source>
        <translation>Zielpfad:</translation>
    </message>
    <message>
        <source>Brow&amp;se...</source>
        <translation>Du&amp;rchsuchen...</translation>
    </message>
    <message>
        <source>Select &amp;all</source>
        <translation>&amp;Alle auswählen</translation>
    </message>
    <message>
        <source>&amp;Use global settings</source>
        <translation>&amp;Globale Einstellungen verwenden</translation>
    </message>
    <message>
        <source>Source path &quot;%1&quot; does not exist.</source>
        <translation>Der Quellpfad „%1“ existiert nicht.</translation>
    </message>
    <message>
        <source>Destination path &quot;%1&quot; does not exist.</source>
        <translation>Der Zielpfad „%1“ existiert nicht.</translation>
    </message>
    <message>
        <source>Batch processing finished. 
(Report generated at destination path.)</source>
        <translation>Stapelverarbeitung abgeschlossen. 
(Der Bericht wurde im Zielpfad erstellt.)</translation>
    </message>
    <message>
        <source>Cancel batch processing?</source>
        <translation>Stapelverarbeitung abbrechen?</translation>
    </message>
    <message>
        <source>Do you want to cancel Batch Processing?</source>
        <translation>Möchten Sie die Stapelverarbeitung abbrechen?</translation>
    </message>
    <message>
        <source>Aborting batch process</source>
        <translation>Stapelverarbeitung wird abgebrochen</translation>
    </message>
</context>
<context>
    <name>CDgnImportOptionsDlg</name>
    <message>
        <source>Options</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <source>&amp;Explode text node to text elements</source>
        <translation>&amp;Textknoten in Textelemente auflösen</translation>
    </message>
</context>
<context>
    <name>CFxDlgDGNAttach</name>
    <message>
        <source>%1
contains no Design Model.</source>
        <translation>%1
enthält kein Designmodell.</translation>
    </message>
</context>
<context>
    <name>CFxQtCommandDGNAttachBase</name>
    <message>
        <source>&quot;%1&quot; file can not be loaded. 
 The problem may be caused by: 
 - Data in file are corrupted 
 - File has an earlier format that is not supported 
 - File format is not supported</source>
        <translation>Die Datei „%1“ kann nicht geladen werden. 
 Mögliche Ursachen: 
 - Die Daten der Datei sind beschädigt 
 - Die Datei hat ein älteres Format, das nicht unterstützt wird 
 - Das Dateiformat wird nicht unterstützt</translation>
    </message>
    <message>
        <source>Invalid file</source>
        <translation>Ungültige Datei</translation>
    </message>
</context>
<context>
    <name>CommandDGNImport</name>
    <message>
        <source>IMPORTDGN</source>
        <comment>Command Name: Needs to be unique and all uppercase.</comment>
        <translation>IMPORTDGN</translation>
    </message>
    <message>
        <source>DGN Import...</source>
        <translation>DGN-Import...</translation>
    </message>
    <message>
        <source>Insert DGN file as block: IMPORTDGN</source>
        <translation>DGN-Datei als Block einfügen: IMPORTDGN</translation>
    </message>
    <message>
        <source>DGN Import</source>
        <translation>DGN-Import</translation>
    </message>
    <message>
        <source>Block &quot;%1&quot; is already defined.</source>
        <translation>Der Block „%1“ ist bereits definiert.</translation>
    </message>
    <message>
        <source>Using existing definition.
</source>
        <translation>Die vorhandene Definition wird verwendet.
</translation>
    </message>
    <message>
        <source>Failed to import the DGN design model.</source>
        <translation>Das DGN-Designmodell konnte nicht importiert werden.</translation>
    </message>
    <message>
        <source>Not enough memory to convert %1.</source>
        <translation>Nicht genug Arbeitsspeicher, um %1 zu konvertieren.</translation>
    </message>
    <message>
        <source>
</source>
        <translation>
</translation>
    </message>
    <message>
        <source>DGN File imported as block</source>
        <translation>DGN-Datei als Block importiert</translation>
    </message>
</context>
<context>
    <name>DGNImport</name>
    <message>
        <source>Specify folder</source>
        <translation>Ordner angeben</translation>
    </message>
</context>
<context>
    <name>DgnBatch</name>
    <message>
        <source>DGN Import Report:</source>
        <translation>DGN-Importbericht:</translation>
    </message>
    <message>
        <source>Created on %1</source>
        <translation>Erstellt am %1</translation>
    </message>
    <message>
        <source>Unknown Error.</source>
        <translation>Unbekannter Fehler.</translation>
    </message>
    <message>
        <source>Invalid password.</source>
        <translation>Ungültiges Kennwort.</translation>
    </message>
    <message>
        <source>Cannot open file.</source>
        <translation>Die Datei kann nicht geöffnet werden.</translation>
    </message>
    <message>
        <source>Invalid file.</source>
        <translation>Ungültige Datei.</translation>
    </message>
    <message>
        <source>Failed DGN filename: </source>
        <translation>Fehlgeschlagene DGN-Datei: </translation>
    </message>
    <message>
        <source>Error type: </source>
        <translation>Fehlerart: </translation>
    </message>
    <message>
        <source>Failed DGN filename:</source>
        <translation>Fehlgeschlagene DGN-Datei:</translation>
    </message>
    <message>
        <source>Model name:</source>
        <translation>Modellname:</translation>
    </message>
    <message>
        <source>Error type:</source>
        <translation>Fehlerart:</translation>
    </message>
    <message>
        <source>Total number of converted files: %1</source>
        <translation>Anzahl konvertierter Dateien: %1</translation>
    </message>
    <message>
        <source>Total number of converted Design Model: %1</source>
        <translation>Anzahl konvertierter Designmodelle: %1</translation>
    </message>
    <message>
        <source>Total number of failed files: %1</source>
        <translation>Anzahl fehlgeschlagener Dateien: %1</translation>
    </message>
    <message>
        <source>No model exist.</source>
        <translation>Kein Modell vorhanden.</translation>
    </message>
    <message>
        <source>DGN file does not exist.</source>
        <translation>Die DGN-Datei existiert nicht.</translation>
    </message>
</context>
</TS>

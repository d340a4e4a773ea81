<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>AppStrings</name>
    <message>
        <source>(not chosen)</source>
        <translation>(nicht gewählt)</translation>
    </message>
    <message>
        <source>NO_PATHS_SET</source>
        <translation>Es ist kein Ordner gewählt, aus dem dieses Archiv installiert wird.</translation>
    </message>
</context>
<context>
    <name>ArchiveImport</name>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
</context>
<context>
    <name>ConfigSheet</name>
    <message>
        <source>Configuration</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Choose where PackShelf finds the downloaded archives, the library it installs them into, and a folder it may use as scratch space.</source>
        <translation>Wählen Sie, wo PackShelf die heruntergeladenen Archive findet, in welche Bibliothek es sie installiert und welchen Ordner es als Arbeitsbereich nutzen darf.</translation>
    </message>
    <message>
        <source>Archives:</source>
        <translation>Archive:</translation>
    </message>
    <message>
        <source>Not chosen yet</source>
        <translation>Noch nicht gewählt</translation>
    </message>
    <message>
        <source>Choose…</source>
        <translation>Wählen…</translation>
    </message>
    <message>
        <source>Library:</source>
        <translation>Bibliothek:</translation>
    </message>
    <message>
        <source>Work folder:</source>
        <translation>Arbeitsordner:</translation>
    </message>
    <message>
        <source>Ignore Data folders: judge archives by their Runtime folder alone</source>
        <translation>Data-Ordner nicht beachten: Archive allein nach ihrem Runtime-Ordner beurteilen</translation>
    </message>
    <message>
        <source>Close and analyse the archives again</source>
        <translation>Schließen und die Archive erneut prüfen</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Fertig</translation>
    </message>
</context>
<context>
    <name>ConfirmSheet</name>
    <message>
        <source>Confirm Install</source>
        <translation>Installation bestätigen</translation>
    </message>
    <message>
        <source>Comparing the archives with the library</source>
        <translation>Die Archive werden mit der Bibliothek verglichen</translation>
    </message>
    <message>
        <source>Comparing with the library</source>
        <translation>Vergleich mit der Bibliothek</translation>
    </message>
    <message>
        <source>Files in total</source>
        <translation>Dateien insgesamt</translation>
    </message>
    <message>
        <source>Conflicts</source>
        <translation>Konflikte</translation>
    </message>
    <message>
        <source>Archives that cannot be installed</source>
        <translation>Archive, die nicht installiert werden können</translation>
    </message>
    <message>
        <source>Files the install writes</source>
        <translation>Dateien, die die Installation schreibt</translation>
    </message>
    <message>
        <source>List every file the install writes, what happens to it and whose file it replaces</source>
        <translation>Jede Datei auflisten, die die Installation schreibt, was mit ihr geschieht und wessen Datei sie ersetzt</translation>
    </message>
    <message>
        <source>&amp;Details</source>
        <translation>Einzel&amp;heiten</translation>
    </message>
    <message>
        <source>Install nothing; the list stays as it is</source>
        <translation>Nichts installieren; die Liste bleibt, wie sie ist</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Esc</source>
        <translation>Esc</translation>
    </message>
    <message>
        <source>Install the archives as listed</source>
        <translation>Die Archive wie aufgelistet installieren</translation>
    </message>
    <message>
        <source>&amp;Install</source>
        <translation>&amp;Installieren</translation>
    </message>
    <message>
        <source>Ctrl+Return</source>
        <translation>Ctrl+Return</translation>
    </message>
    <message>
        <source>Archives installed and left alone</source>
        <translation>Installierte und belassene Archive</translation>
    </message>
</context>
<context>
    <name>InstallProgress</name>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
    <message>
        <source>%1 — %2</source>
        <translation>%1 — %2</translation>
    </message>
    <message>
        <source>%1 — %2, %3</source>
        <translation>%1 — %2, %3</translation>
    </message>
    <message numerus="yes">
        <source>about %Ln second(s) left</source>
        <translation>
            <numerusform>noch etwa %Ln Sekunde</numerusform>
            <numerusform>noch etwa %Ln Sekunden</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>about %Ln minute(s) left</source>
        <translation>
            <numerusform>noch etwa %Ln Minute</numerusform>
            <numerusform>noch etwa %Ln Minuten</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 of %Ln archive(s) installed</source>
        <translation>
            <numerusform>%1 von %Ln Archiv installiert</numerusform>
            <numerusform>%1 von %Ln Archiven installiert</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>InstallSheet</name>
    <message>
        <source>Installing</source>
        <translation>Installation läuft</translation>
    </message>
    <message>
        <source>Preparing…</source>
        <translation>Vorbereitung…</translation>
    </message>
    <message>
        <source>Install progress</source>
        <translation>Fortschritt der Installation</translation>
    </message>
    <message>
        <source>Stop after rolling back the archive being installed; the archives already installed stay</source>
        <translation>Anhalten, nachdem das gerade installierte Archiv zurückgenommen wurde; bereits installierte Archive bleiben</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>File being written, bytes written and time left</source>
        <translation>Geschriebene Datei, geschriebene Bytes und verbleibende Zeit</translation>
    </message>
</context>
<context>
    <name>InstallSummary</name>
    <message>
        <source>a nested archive could not be installed</source>
        <translation>ein enthaltenes Archiv konnte nicht installiert werden</translation>
    </message>
    <message>
        <source>no reason was recorded</source>
        <translation>kein Grund verzeichnet</translation>
    </message>
    <message numerus="yes">
        <source>%Ln archive(s) installed.</source>
        <translation>
            <numerusform>%Ln Archiv installiert.</numerusform>
            <numerusform>%Ln Archive installiert.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln failed.</source>
        <translation>
            <numerusform>%Ln fehlgeschlagen.</numerusform>
            <numerusform>%Ln fehlgeschlagen.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln already installed and unchanged, left alone.</source>
        <translation>
            <numerusform>%Ln bereits unverändert installiert, belassen.</numerusform>
            <numerusform>%Ln bereits unverändert installiert, belassen.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln not installed: the install was cancelled.</source>
        <translation>
            <numerusform>%Ln nicht installiert: Die Installation wurde abgebrochen.</numerusform>
            <numerusform>%Ln nicht installiert: Die Installation wurde abgebrochen.</numerusform>
        </translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Fehlgeschlagen</translation>
    </message>
    <message>
        <source>Installed</source>
        <translation>Installiert</translation>
    </message>
    <message>
        <source>Not installed (cancelled)</source>
        <translation>Nicht installiert (abgebrochen)</translation>
    </message>
    <message numerus="yes">
        <source>%Ln with nested archives not installed.</source>
        <translation>
            <numerusform>%Ln davon ohne ihre verschachtelten Archive.</numerusform>
            <numerusform>%Ln davon ohne ihre verschachtelten Archive.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln with warnings.</source>
        <translation>
            <numerusform>%Ln davon mit Warnungen.</numerusform>
            <numerusform>%Ln davon mit Warnungen.</numerusform>
        </translation>
    </message>
    <message>
        <source>Installed with warnings</source>
        <translation>Mit Warnungen installiert</translation>
    </message>
    <message>
        <source>Nested archives not installed</source>
        <translation>Verschachtelte Archive nicht installiert</translation>
    </message>
    <message>
        <source>Already installed, unchanged: left alone</source>
        <translation>Bereits unverändert installiert: belassen</translation>
    </message>
</context>
<context>
    <name>InstalledSheet</name>
    <message>
        <source>Installed Packages</source>
        <translation>Installierte Pakete</translation>
    </message>
    <message>
        <source>Installed packages</source>
        <translation>Installierte Pakete</translation>
    </message>
    <message>
        <source>Filter packages</source>
        <translation>Pakete filtern</translation>
    </message>
    <message>
        <source>Shows only the packages whose archive name holds the text</source>
        <translation>Zeigt nur die Pakete, deren Archivname den Text enthält</translation>
    </message>
    <message>
        <source>Records that cannot be read</source>
        <translation>Einträge, die nicht gelesen werden können</translation>
    </message>
    <message>
        <source>What the uninstall did</source>
        <translation>Was die Deinstallation getan hat</translation>
    </message>
    <message>
        <source>Take the selected packages out of the library and put back the files they replaced</source>
        <translation>Die gewählten Pakete aus der Bibliothek entfernen und die von ihnen ersetzten Dateien zurücklegen</translation>
    </message>
    <message>
        <source>&amp;Uninstall…</source>
        <translation>&amp;Deinstallieren…</translation>
    </message>
    <message>
        <source>Del</source>
        <translation>Del</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Check every file of every package against what its install wrote, and mark the packages that are no longer as installed</source>
        <translation>Jede Datei jedes Pakets mit dem vergleichen, was seine Installation geschrieben hat, und die Pakete markieren, die nicht mehr wie installiert sind</translation>
    </message>
    <message>
        <source>&amp;Verify</source>
        <translation>&amp;Prüfen</translation>
    </message>
    <message>
        <source>Write the changed and missing files of the selected packages again from their archives in the source folder; your versions are kept aside first</source>
        <translation>Die geänderten und fehlenden Dateien der gewählten Pakete erneut aus ihren Archiven im Quellordner schreiben; Ihre Fassungen werden zuvor beiseitegelegt</translation>
    </message>
    <message>
        <source>&amp;Repair…</source>
        <translation>&amp;Reparieren…</translation>
    </message>
</context>
<context>
    <name>ItemDescription</name>
    <message>
        <source>Will install from: %1/%2</source>
        <translation>Wird installiert aus: %1/%2</translation>
    </message>
    <message>
        <source>Will install from: %1/%2
and from: %3/%4</source>
        <translation>Wird installiert aus: %1/%2
und aus: %3/%4</translation>
    </message>
    <message>
        <source>Will install %1 into: %2</source>
        <translation>%1 wird installiert nach: %2</translation>
    </message>
    <message numerus="yes">
        <source>%Ln byte(s)</source>
        <translation>
            <numerusform>%Ln Byte</numerusform>
            <numerusform>%Ln Byte</numerusform>
        </translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Manually set</source>
        <translation>Von Hand festgelegt</translation>
    </message>
    <message>
        <source>Duplicates</source>
        <translation>Duplikate</translation>
    </message>
    <message>
        <source>Unzip error</source>
        <translation>Fehler beim Entpacken</translation>
    </message>
    <message>
        <source>No Runtime</source>
        <translation>Kein Runtime-Ordner</translation>
    </message>
    <message>
        <source>No Runtime or data</source>
        <translation>Weder Runtime- noch Data-Ordner</translation>
    </message>
    <message>
        <source>Failed!</source>
        <translation>Fehlgeschlagen!</translation>
    </message>
    <message>
        <source>Not analysed yet</source>
        <translation>Noch nicht geprüft</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s), %1</source>
        <translation>
            <numerusform>%Ln Datei, %1</numerusform>
            <numerusform>%Ln Dateien, %1</numerusform>
        </translation>
    </message>
    <message>
        <source>Why: %1</source>
        <translation>Grund: %1</translation>
    </message>
    <message>
        <source>Note: %1</source>
        <translation>Hinweis: %1</translation>
    </message>
    <message>
        <source>Installed in the library on %1.</source>
        <translation>Am %1 in der Bibliothek installiert.</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <comment>a date, then a time of day</comment>
        <translation>%1 um %2</translation>
    </message>
    <message>
        <source>several Runtime folders: choose the folders first</source>
        <translation>mehrere Runtime-Ordner: zuerst die Ordner wählen</translation>
    </message>
    <message>
        <source>no Runtime folder</source>
        <translation>kein Runtime-Ordner</translation>
    </message>
    <message>
        <source>no Runtime or Data folder</source>
        <translation>kein Runtime- oder Data-Ordner</translation>
    </message>
    <message>
        <source>damaged</source>
        <translation>beschädigt</translation>
    </message>
    <message>
        <source>damaged: %1</source>
        <translation>beschädigt: %1</translation>
    </message>
    <message>
        <source>not analysed yet</source>
        <translation>noch nicht untersucht</translation>
    </message>
    <message>
        <source>being analysed</source>
        <translation>wird untersucht</translation>
    </message>
    <message>
        <source>%1 or %2</source>
        <comment>the last of several alternatives</comment>
        <translation>%1 oder %2</translation>
    </message>
    <message numerus="yes">
        <source>%1 and %Ln more</source>
        <translation>
            <numerusform>%1 und %Ln weiteres</numerusform>
            <numerusform>%1 und %Ln weitere</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 and %2</source>
        <comment>the last of several entries</comment>
        <translation>%1 und %2</translation>
    </message>
    <message numerus="yes">
        <source>%1 (%Ln file(s), %2)</source>
        <translation>
            <numerusform>%1 (%Ln Datei, %2)</numerusform>
            <numerusform>%1 (%Ln Dateien, %2)</numerusform>
        </translation>
    </message>
    <message>
        <source>Choose the Runtime folder: %1</source>
        <translation>Wählen Sie den Runtime-Ordner: %1</translation>
    </message>
    <message>
        <source>Choose the Data folder: %1</source>
        <translation>Wählen Sie den Data-Ordner: %1</translation>
    </message>
    <message>
        <source>A choice installs the folder that holds it: %1</source>
        <translation>Installiert wird der Ordner, der den gewählten enthält: %1</translation>
    </message>
    <message>
        <source>Installed as archive files, not unpacked: %1</source>
        <translation>Als Archivdateien installiert, nicht entpackt: %1</translation>
    </message>
    <message>
        <source>Installed as archive files and unpacked into folders of their names: %1</source>
        <translation>Als Archivdateien installiert und in gleichnamige Ordner entpackt: %1</translation>
    </message>
    <message>
        <source>Installs as they are: %1</source>
        <translation>Installiert unverändert: %1</translation>
    </message>
</context>
<context>
    <name>ListedArchives</name>
    <message>
        <source>Choose the folder that holds your downloaded archives (zip, 7z or RAR), the library to install them into and a work folder. PackShelf then looks into every archive and tells you what it would install.</source>
        <translation>Wählen Sie den Ordner mit Ihren heruntergeladenen Archiven (Zip, 7z oder RAR), die Bibliothek, in die sie installiert werden, und einen Arbeitsordner. PackShelf sieht dann in jedes Archiv und sagt Ihnen, was es installieren würde.</translation>
    </message>
    <message>
        <source>The source folder %1 does not exist. Choose another folder, or connect the drive that holds it.</source>
        <translation>Den Quellordner %1 gibt es nicht. Wählen Sie einen anderen Ordner oder schließen Sie das Laufwerk an, auf dem er liegt.</translation>
    </message>
    <message>
        <source>The source folder %1 cannot be read.</source>
        <translation>Der Quellordner %1 kann nicht gelesen werden.</translation>
    </message>
    <message>
        <source>Nothing is left to install from %1: every archive there has been installed or dropped. Archives that arrive there appear here.</source>
        <translation>In %1 ist nichts mehr zu installieren: Jedes Archiv dort wurde installiert oder ausgelassen. Archive, die dort ankommen, erscheinen hier.</translation>
    </message>
    <message>
        <source>There are no zip archives in %1 yet. Save or drag archives there: they appear here as they arrive.</source>
        <translation>In %1 liegen noch keine Zip-Archive. Speichern oder ziehen Sie Archive dorthin: Sie erscheinen hier, sobald sie ankommen.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>PackShelf</source>
        <translation>PackShelf</translation>
    </message>
    <message>
        <source>Archives</source>
        <translation>Archive</translation>
    </message>
    <message>
        <source>Choose Folders…</source>
        <translation>Ordner wählen…</translation>
    </message>
    <message>
        <source>Archives: %1</source>
        <translation>Archive: %1</translation>
    </message>
    <message>
        <source>Analysing archives</source>
        <translation>Archive werden geprüft</translation>
    </message>
    <message>
        <source>Select an archive to look inside it</source>
        <translation>Wählen Sie ein Archiv, um hineinzusehen</translation>
    </message>
    <message>
        <source>Contents of the selected archive</source>
        <translation>Inhalt des gewählten Archivs</translation>
    </message>
    <message>
        <source>Install from the folder that holds the selected Runtime folder</source>
        <translation>Aus dem Ordner installieren, der den gewählten Runtime-Ordner enthält</translation>
    </message>
    <message>
        <source>Set Runtime</source>
        <translation>Runtime festlegen</translation>
    </message>
    <message>
        <source>Ctrl+R</source>
        <translation>Ctrl+R</translation>
    </message>
    <message>
        <source>Install from the folder that holds the selected Data folder</source>
        <translation>Aus dem Ordner installieren, der den gewählten Data-Ordner enthält</translation>
    </message>
    <message>
        <source>Set Data</source>
        <translation>Data festlegen</translation>
    </message>
    <message>
        <source>Ctrl+D</source>
        <translation>Ctrl+D</translation>
    </message>
    <message>
        <source>Copy the selected folder as it is, together with what lies beside it</source>
        <translation>Den gewählten Ordner unverändert kopieren, zusammen mit allem, was daneben liegt</translation>
    </message>
    <message>
        <source>Force Folder</source>
        <translation>Ordner erzwingen</translation>
    </message>
    <message>
        <source>Ctrl+Shift+F</source>
        <translation>Ctrl+Shift+F</translation>
    </message>
    <message>
        <source>Install the selection into a folder of your choice</source>
        <translation>Die Auswahl in einen Ordner Ihrer Wahl installieren</translation>
    </message>
    <message>
        <source>Destination…</source>
        <translation>Ziel…</translation>
    </message>
    <message>
        <source>Ctrl+T</source>
        <translation>Ctrl+T</translation>
    </message>
    <message>
        <source>What will be installed</source>
        <translation>Was installiert wird</translation>
    </message>
    <message>
        <source>Archive details</source>
        <translation>Angaben zum Archiv</translation>
    </message>
    <message>
        <source>What an install does to the library</source>
        <translation>Was eine Installation an der Bibliothek ändert</translation>
    </message>
    <message>
        <source>Support PackShelf</source>
        <translation>PackShelf unterstützen</translation>
    </message>
    <message>
        <source>Donate…</source>
        <translation>Spenden…</translation>
    </message>
    <message>
        <source>Leave the selected archives out; they stay in the source folder</source>
        <translation>Die gewählten Archive auslassen; sie bleiben im Quellordner</translation>
    </message>
    <message>
        <source>Drop</source>
        <translation>Auslassen</translation>
    </message>
    <message>
        <source>Install every archive marked green into the library</source>
        <translation>Jedes grün markierte Archiv in die Bibliothek installieren</translation>
    </message>
    <message>
        <source>Install</source>
        <translation>Installieren</translation>
    </message>
    <message>
        <source>Ctrl+Return</source>
        <translation>Ctrl+Return</translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation>Werkzeugleiste</translation>
    </message>
    <message>
        <source>Configure…</source>
        <translation>Einstellungen…</translation>
    </message>
    <message>
        <source>Choose the source, library and work folders</source>
        <translation>Quell-, Bibliotheks- und Arbeitsordner wählen</translation>
    </message>
    <message>
        <source>Ctrl+,</source>
        <translation>Ctrl+,</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Look for new, changed and removed archives in the source folder</source>
        <translation>Im Quellordner nach neuen, geänderten und entfernten Archiven suchen</translation>
    </message>
    <message>
        <source>F5</source>
        <translation>F5</translation>
    </message>
    <message>
        <source>Installed…</source>
        <translation>Installiert…</translation>
    </message>
    <message>
        <source>Show the packages installed in the library, and uninstall them</source>
        <translation>Die in der Bibliothek installierten Pakete zeigen und deinstallieren</translation>
    </message>
    <message>
        <source>Ctrl+L</source>
        <translation>Ctrl+L</translation>
    </message>
    <message>
        <source>Filter</source>
        <translation>Filtern</translation>
    </message>
    <message>
        <source>Show only the archives whose name or verdict holds a text</source>
        <translation>Nur die Archive zeigen, deren Name oder Befund einen Text enthält</translation>
    </message>
    <message>
        <source>Ctrl+F</source>
        <translation>Ctrl+F</translation>
    </message>
    <message>
        <source>Del</source>
        <translation>Del</translation>
    </message>
    <message>
        <source>Show in Folder</source>
        <translation>Im Ordner zeigen</translation>
    </message>
    <message>
        <source>Open the source folder that holds the selected archive</source>
        <translation>Den Quellordner öffnen, der das gewählte Archiv enthält</translation>
    </message>
    <message>
        <source>Copy Path</source>
        <translation>Pfad kopieren</translation>
    </message>
    <message>
        <source>Copy the paths of the selected archives</source>
        <translation>Die Pfade der gewählten Archive kopieren</translation>
    </message>
    <message>
        <source>Ctrl+C</source>
        <translation>Ctrl+C</translation>
    </message>
    <message>
        <source>The archives in the source folder; Enter shows the current one in the browser</source>
        <translation>Die Archive im Quellordner; die Eingabetaste zeigt das aktuelle im Browser</translation>
    </message>
    <message>
        <source>&amp;Choose Folders…</source>
        <translation>&amp;Ordner wählen…</translation>
    </message>
    <message>
        <source>The folders and files of the selected archive; the choice buttons act on the selected folder</source>
        <translation>Die Ordner und Dateien des gewählten Archivs; die Auswahlknöpfe wirken auf den gewählten Ordner</translation>
    </message>
    <message>
        <source>Set &amp;Runtime</source>
        <translation>&amp;Runtime festlegen</translation>
    </message>
    <message>
        <source>Set &amp;Data</source>
        <translation>&amp;Data festlegen</translation>
    </message>
    <message>
        <source>&amp;Force Folder</source>
        <translation>Ordner &amp;erzwingen</translation>
    </message>
    <message>
        <source>Des&amp;tination…</source>
        <translation>&amp;Ziel…</translation>
    </message>
    <message>
        <source>D&amp;onate…</source>
        <translation>&amp;Spenden…</translation>
    </message>
    <message>
        <source>Dro&amp;p</source>
        <translation>&amp;Auslassen</translation>
    </message>
    <message>
        <source>&amp;Install</source>
        <translation>&amp;Installieren</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Close the window and quit PackShelf</source>
        <translation>Das Fenster schließen und PackShelf beenden</translation>
    </message>
    <message>
        <source>Install only the selected archives marked green, in list order</source>
        <translation>Nur die ausgewählten grün markierten Archive installieren, in der Reihenfolge der Liste</translation>
    </message>
    <message>
        <source>Install Selected</source>
        <translation>Auswahl installieren</translation>
    </message>
    <message>
        <source>Install &amp;Selected</source>
        <translation>Auswahl insta&amp;llieren</translation>
    </message>
    <message>
        <source>Info box</source>
        <translation>Infobereich</translation>
    </message>
</context>
<context>
    <name>PreviewContent</name>
    <message>
        <source>Cannot be read: %1</source>
        <translation>Nicht lesbar: %1</translation>
    </message>
    <message>
        <source>Too large to show</source>
        <translation>Zu groß zum Anzeigen</translation>
    </message>
    <message>
        <source>Too large to show: %1 × %2 pixels</source>
        <translation>Zu groß zum Anzeigen: %1 × %2 Pixel</translation>
    </message>
    <message>
        <source>Not a picture this program can read</source>
        <translation>Kein Bild, das dieses Programm lesen kann</translation>
    </message>
    <message>
        <source>Damaged picture: %1</source>
        <translation>Beschädigtes Bild: %1</translation>
    </message>
    <message>
        <source>Image, %1 × %2 pixels</source>
        <translation>Bild, %1 × %2 Pixel</translation>
    </message>
    <message>
        <source>Text, %1</source>
        <translation>Text, %1</translation>
    </message>
</context>
<context>
    <name>PreviewSummary</name>
    <message>
        <source>Files: %1 added, %2 replaced, %3 already the same</source>
        <translation>Dateien: %1 hinzugefügt, %2 ersetzt, %3 bereits gleich</translation>
    </message>
    <message numerus="yes">
        <source>; %Ln written by several of these archives, the one later in the list kept</source>
        <translation>
            <numerusform>; %Ln davon von mehreren dieser Archive geschrieben, das in der Liste spätere bleibt</numerusform>
            <numerusform>; %Ln davon von mehreren dieser Archive geschrieben, das in der Liste spätere bleibt</numerusform>
        </translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>Ersetzen</translation>
    </message>
    <message>
        <source>Same</source>
        <translation>Unverändert</translation>
    </message>
    <message>
        <source>Cannot be installed: %1</source>
        <translation>Kann nicht installiert werden: %1</translation>
    </message>
    <message>
        <source>Already installed from this archive, and every file is as it was installed: it is left alone.</source>
        <translation>Bereits aus diesem Archiv installiert, und jede Datei ist wie installiert: es bleibt unberührt.</translation>
    </message>
    <message>
        <source>Replaces files installed by: %1</source>
        <translation>Ersetzt Dateien, installiert von: %1</translation>
    </message>
    <message>
        <source>Writes the same files as %1 in this install; the archive later in the list wins</source>
        <translation>Schreibt in dieser Installation dieselben Dateien wie %1; das spätere Archiv in der Liste gewinnt</translation>
    </message>
    <message>
        <source>No conflicts: no file of an installed package is replaced, and no two of these archives write the same file.</source>
        <translation>Keine Konflikte: Keine Datei eines installierten Pakets wird ersetzt, und keine zwei dieser Archive schreiben dieselbe Datei.</translation>
    </message>
    <message>
        <source>Replaces files of installed packages: %1</source>
        <translation>Ersetzt Dateien installierter Pakete: %1</translation>
    </message>
    <message>
        <source>Archives of this install that write the same files (the one later in the list wins): %1</source>
        <translation>Archive dieser Installation, die dieselben Dateien schreiben (das spätere in der Liste gewinnt): %1</translation>
    </message>
    <message>
        <source>%1 cannot be installed: %2</source>
        <translation>%1 kann nicht installiert werden: %2</translation>
    </message>
    <message>
        <source>To install: %1</source>
        <translation>Zu installieren: %1</translation>
    </message>
    <message>
        <source>Left alone, already installed and unchanged: %1</source>
        <translation>Belassen, bereits unverändert installiert: %1</translation>
    </message>
</context>
<context>
    <name>SummarySheet</name>
    <message>
        <source>Install Finished</source>
        <translation>Installation abgeschlossen</translation>
    </message>
    <message>
        <source>What was installed</source>
        <translation>Was installiert wurde</translation>
    </message>
    <message>
        <source>Open the library folder in the file manager</source>
        <translation>Den Bibliotheksordner in der Dateiverwaltung öffnen</translation>
    </message>
    <message>
        <source>&amp;Open Library</source>
        <translation>Bibliothek ö&amp;ffnen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Take this install back: its packages are uninstalled, latest first (Ctrl+Z)</source>
        <translation>Diese Installation zurücknehmen: Ihre Pakete werden deinstalliert, das neueste zuerst (Strg+Z)</translation>
    </message>
    <message>
        <source>&amp;Undo Install…</source>
        <translation>Installation &amp;zurücknehmen…</translation>
    </message>
</context>
<context>
    <name>packshelf::AppDelegate</name>
    <message>
        <source>The source folder cannot be read: %1</source>
        <translation>Der Quellordner kann nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>The source folder %1 is not a folder</source>
        <translation>Der Quellordner %1 ist kein Ordner</translation>
    </message>
    <message>
        <source>The source folder %1 does not exist</source>
        <translation>Den Quellordner %1 gibt es nicht</translation>
    </message>
    <message>
        <source>Select the archives whose paths to copy.</source>
        <translation>Wählen Sie die Archive, deren Pfade kopiert werden sollen.</translation>
    </message>
    <message numerus="yes">
        <source>Copied %Ln path(s).</source>
        <translation>
            <numerusform>%Ln Pfad kopiert.</numerusform>
            <numerusform>%Ln Pfade kopiert.</numerusform>
        </translation>
    </message>
    <message>
        <source>No source folder has been chosen yet.</source>
        <translation>Es ist noch kein Quellordner gewählt.</translation>
    </message>
    <message>
        <source>Select an analysed archive to look inside it</source>
        <translation>Wählen Sie ein geprüftes Archiv, um hineinzusehen</translation>
    </message>
    <message>
        <source>Archives can be dropped once the analysis has finished.</source>
        <translation>Archive können ausgelassen werden, sobald die Prüfung abgeschlossen ist.</translation>
    </message>
    <message>
        <source>Select an archive first, then choose where to install it.</source>
        <translation>Wählen Sie zuerst ein Archiv und dann, wohin es installiert wird.</translation>
    </message>
    <message>
        <source>%1 is still being analysed.</source>
        <translation>%1 wird noch geprüft.</translation>
    </message>
    <message>
        <source>%1 cannot be read, so nothing of it can be installed.</source>
        <translation>%1 kann nicht gelesen werden, daher kann nichts daraus installiert werden.</translation>
    </message>
    <message>
        <source>Install %1 into</source>
        <translation>%1 installieren nach</translation>
    </message>
    <message>
        <source>Choose the folder that holds the archives</source>
        <translation>Wählen Sie den Ordner mit den Archiven</translation>
    </message>
    <message>
        <source>Choose the library to install into</source>
        <translation>Wählen Sie die Bibliothek, in die installiert wird</translation>
    </message>
    <message>
        <source>Choose a work folder</source>
        <translation>Wählen Sie einen Arbeitsordner</translation>
    </message>
    <message>
        <source>Thank You!</source>
        <translation>Danke schön!</translation>
    </message>
    <message>
        <source>Choose the source, library and work folders before installing.</source>
        <translation>Wählen Sie vor dem Installieren Quell-, Bibliotheks- und Arbeitsordner.</translation>
    </message>
    <message>
        <source>The library folder %1 does not exist: choose it again, or connect the drive that holds it.</source>
        <translation>Den Bibliotheksordner %1 gibt es nicht: Wählen Sie ihn erneut oder schließen Sie das Laufwerk an, auf dem er liegt.</translation>
    </message>
    <message>
        <source>Nothing is ready to install: only archives with a green pin are installed.</source>
        <translation>Nichts ist bereit zur Installation: Nur Archive mit einer grünen Nadel werden installiert.</translation>
    </message>
    <message>
        <source>Choose the library folder first.</source>
        <translation>Wählen Sie zuerst den Bibliotheksordner.</translation>
    </message>
    <message>
        <source>Comparing with the library…</source>
        <translation>Vergleich mit der Bibliothek…</translation>
    </message>
    <message>
        <source>Nothing on this desktop opens %1.</source>
        <translation>Auf diesem Desktop öffnet nichts %1.</translation>
    </message>
    <message>
        <source>None of the selected archives is ready to install: only archives with a green pin are installed.</source>
        <translation>Keines der ausgewählten Archive ist bereit zur Installation: Nur Archive mit einer grünen Nadel werden installiert.</translation>
    </message>
    <message>
        <source>There is nothing to refresh yet: choose the folder that holds your archives, the library and a work folder first.</source>
        <translation>Noch gibt es nichts zu aktualisieren: Wählen Sie zuerst den Ordner mit Ihren Archiven, die Bibliothek und einen Arbeitsordner.</translation>
    </message>
</context>
<context>
    <name>packshelf::ArchiveBrowserModel</name>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>%1 (%2): an archive inside the archive, opened here as a folder</source>
        <translation>%1 (%2): ein Archiv im Archiv, hier als Ordner geöffnet</translation>
    </message>
    <message>
        <source>%1, nested archive</source>
        <translation>%1, verschachteltes Archiv</translation>
    </message>
</context>
<context>
    <name>packshelf::ConfigurationSheet</name>
    <message>
        <source>The library cannot be the source folder, nor lie inside it or hold it: installed files would be mixed with the downloaded archives. Choose another folder.</source>
        <translation>Die Bibliothek kann weder der Quellordner sein noch in ihm liegen oder ihn enthalten: Installierte Dateien würden sich mit den heruntergeladenen Archiven mischen. Wählen Sie einen anderen Ordner.</translation>
    </message>
    <message>
        <source>The work folder cannot be the source folder, nor lie inside it or hold it: its scratch files would be mixed with the downloaded archives. Choose another folder.</source>
        <translation>Der Arbeitsordner kann weder der Quellordner sein noch in ihm liegen oder ihn enthalten: Seine Zwischendateien würden sich mit den heruntergeladenen Archiven mischen. Wählen Sie einen anderen Ordner.</translation>
    </message>
    <message>
        <source>The work folder cannot be the library, nor lie inside it or hold it: its scratch files would end up among the installed content. Choose another folder.</source>
        <translation>Der Arbeitsordner kann weder die Bibliothek sein noch in ihr liegen oder sie enthalten: Seine Zwischendateien gerieten unter die installierten Inhalte. Wählen Sie einen anderen Ordner.</translation>
    </message>
</context>
<context>
    <name>packshelf::ContentListModel</name>
    <message>
        <source>%1, installed</source>
        <translation>%1, installiert</translation>
    </message>
    <message>
        <source>Archive</source>
        <translation>Archiv</translation>
    </message>
    <message>
        <source>Verdict</source>
        <translation>Befund</translation>
    </message>
    <message>
        <source>%1 (%2 archive)</source>
        <translation>%1 (%2-Archiv)</translation>
    </message>
</context>
<context>
    <name>packshelf::ContentListProxy</name>
    <message numerus="yes">
        <source>No archive matches “%1” (%Ln archive(s) in the list)</source>
        <translation>
            <numerusform>Kein Archiv passt zu „%1“ (%Ln Archiv in der Liste)</numerusform>
            <numerusform>Kein Archiv passt zu „%1“ (%Ln Archive in der Liste)</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
</context>
<context>
    <name>packshelf::DropImport</name>
    <message>
        <source>Only zip, 7z and RAR archives can be added; not added: %1</source>
        <translation>Nur Zip-, 7z- und RAR-Archive können hinzugefügt werden; nicht hinzugefügt: %1</translation>
    </message>
    <message>
        <source>Replace Archive</source>
        <translation>Archiv ersetzen</translation>
    </message>
    <message>
        <source>The source folder already holds %1. Replace it with the dropped archive?</source>
        <translation>Der Quellordner enthält bereits %1. Durch das abgelegte Archiv ersetzen?</translation>
    </message>
    <message>
        <source>Choose an existing source folder before dropping archives on the window.</source>
        <translation>Wählen Sie einen vorhandenen Quellordner, bevor Sie Archive auf das Fenster ziehen.</translation>
    </message>
    <message numerus="yes">
        <source>Copying %Ln archive(s) into the source folder…</source>
        <translation>
            <numerusform>%Ln Archiv wird in den Quellordner kopiert…</numerusform>
            <numerusform>%Ln Archive werden in den Quellordner kopiert…</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Copied %Ln archive(s) into the source folder.</source>
        <translation>
            <numerusform>%Ln Archiv in den Quellordner kopiert.</numerusform>
            <numerusform>%Ln Archive in den Quellordner kopiert.</numerusform>
        </translation>
    </message>
    <message>
        <source>Not copied: %1</source>
        <translation>Nicht kopiert: %1</translation>
    </message>
</context>
<context>
    <name>packshelf::EntryPreview</name>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>%1 (%2 bytes)</source>
        <translation>%1 (%2 Byte)</translation>
    </message>
</context>
<context>
    <name>packshelf::FolderPicker</name>
    <message>
        <source>The folder %1 does not exist yet. Create it and use it?</source>
        <translation>Den Ordner %1 gibt es noch nicht. Soll er angelegt und verwendet werden?</translation>
    </message>
    <message>
        <source>&amp;Create Folder</source>
        <translation>Ordner &amp;anlegen</translation>
    </message>
    <message>
        <source>The folder %1 cannot be created here. Choose a folder you may write to.</source>
        <translation>Der Ordner %1 kann hier nicht angelegt werden. Wählen Sie einen Ordner, in den Sie schreiben dürfen.</translation>
    </message>
</context>
<context>
    <name>packshelf::InstallConfirmation</name>
    <message numerus="yes">
        <source>Install %Ln archive(s) into %1?</source>
        <translation>
            <numerusform>%Ln Archiv in %1 installieren?</numerusform>
            <numerusform>%Ln Archive in %1 installieren?</numerusform>
        </translation>
    </message>
    <message>
        <source>Comparing the archives with the library…</source>
        <translation>Die Archive werden mit der Bibliothek verglichen…</translation>
    </message>
    <message>
        <source>To install: %1</source>
        <translation>Zu installieren: %1</translation>
    </message>
    <message>
        <source>Cannot be installed: %1</source>
        <translation>Kann nicht installiert werden: %1</translation>
    </message>
</context>
<context>
    <name>packshelf::InstallSession</name>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>Installing %1 (%2 of %3)…</source>
        <translation>%1 wird installiert (%2 von %3)…</translation>
    </message>
    <message>
        <source>Cancelling: the archive being installed is rolled back…</source>
        <translation>Abbruch: Das gerade installierte Archiv wird zurückgenommen…</translation>
    </message>
    <message>
        <source>Undo Install</source>
        <translation>Installation zurücknehmen</translation>
    </message>
    <message>
        <source>Taking back the last install…</source>
        <translation>Die letzte Installation wird zurückgenommen…</translation>
    </message>
    <message>
        <source>The library cannot be changed: %1</source>
        <translation>Die Bibliothek kann nicht geändert werden: %1</translation>
    </message>
    <message>
        <source>There is no install to take back.</source>
        <translation>Es gibt keine Installation, die zurückgenommen werden kann.</translation>
    </message>
    <message numerus="yes">
        <source>%Ln package(s) uninstalled, latest first.</source>
        <translation>
            <numerusform>%Ln Paket deinstalliert.</numerusform>
            <numerusform>%Ln Pakete deinstalliert, das neueste zuerst.</numerusform>
        </translation>
    </message>
    <message>
        <source>%1: %2 removed, %3 put back, %4 kept because it changed since.</source>
        <translation>%1: %2 entfernt, %3 zurückgelegt, %4 behalten, weil seither geändert.</translation>
    </message>
    <message>
        <source>Not done: %1</source>
        <translation>Nicht erledigt: %1</translation>
    </message>
    <message>
        <source>Cannot be read: %1</source>
        <translation>Nicht lesbar: %1</translation>
    </message>
    <message numerus="yes">
        <source>%1 and %Ln more</source>
        <translation type="unfinished">
            <numerusform>%1 und %Ln weiteres</numerusform>
            <numerusform>%1 und %Ln weitere</numerusform>
        </translation>
    </message>
    <message>
        <source>an unknown time</source>
        <translation>unbekannter Zeit</translation>
    </message>
    <message numerus="yes">
        <source>Take back the install of %Ln package(s) into %1 on %2: %3? They are uninstalled, latest first: the files they replaced are put back, and a file changed since the install is kept.</source>
        <translation>
            <numerusform>Die Installation von %Ln Paket in %1 am %2 zurücknehmen: %3? Es wird deinstalliert: Die von ihm ersetzten Dateien werden zurückgelegt, und eine seit der Installation geänderte Datei bleibt erhalten.</numerusform>
            <numerusform>Die Installation von %Ln Paketen in %1 am %2 zurücknehmen: %3? Sie werden deinstalliert, das neueste zuerst: Die von ihnen ersetzten Dateien werden zurückgelegt, und eine seit der Installation geänderte Datei bleibt erhalten.</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 was installed into %2, outside the library, and nothing shows that PackShelf recorded it for you. Take it back there?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not taken back: it is in %1, outside the library.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Your earlier version of %1 is beside it: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not as it should be: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Install Undone</source>
        <translation>Installation zurückgenommen</translation>
    </message>
</context>
<context>
    <name>packshelf::InstalledView</name>
    <message>
        <source>Archive</source>
        <translation>Archiv</translation>
    </message>
    <message>
        <source>Installed</source>
        <translation>Installiert am</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>Replaced</source>
        <translation>Ersetzt</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>%1 is no longer installed.</source>
        <translation>%1 ist nicht mehr installiert.</translation>
    </message>
    <message>
        <source>%1 uninstalled.</source>
        <translation>%1 deinstalliert.</translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s) removed.</source>
        <translation>
            <numerusform>%Ln Datei entfernt.</numerusform>
            <numerusform>%Ln Dateien entfernt.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s) put back as they were before.</source>
        <translation>
            <numerusform>%Ln Datei wiederhergestellt, wie sie vorher war.</numerusform>
            <numerusform>%Ln Dateien wiederhergestellt, wie sie vorher waren.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s) left to a later package that wrote over them.</source>
        <translation>
            <numerusform>%Ln Datei einem späteren Paket überlassen, das sie überschrieben hat.</numerusform>
            <numerusform>%Ln Dateien einem späteren Paket überlassen, das sie überschrieben hat.</numerusform>
        </translation>
    </message>
    <message>
        <source>Kept, changed since the install: %1</source>
        <translation>Behalten, seit der Installation geändert: %1</translation>
    </message>
    <message>
        <source>Kept as it is: %1 (%2)</source>
        <translation>Unverändert gelassen: %1 (%2)</translation>
    </message>
    <message>
        <source>Not done: %1</source>
        <translation>Nicht erledigt: %1</translation>
    </message>
    <message>
        <source>Reading the library %1…</source>
        <translation>Die Bibliothek %1 wird gelesen…</translation>
    </message>
    <message>
        <source>The library folder %1 does not exist.</source>
        <translation>Den Bibliotheksordner %1 gibt es nicht.</translation>
    </message>
    <message>
        <source>The library cannot be read: %1</source>
        <translation>Die Bibliothek kann nicht gelesen werden: %1</translation>
    </message>
    <message numerus="yes">
        <source>%Ln package(s) installed in %1</source>
        <translation>
            <numerusform>%Ln Paket in %1 installiert</numerusform>
            <numerusform>%Ln Pakete in %1 installiert</numerusform>
        </translation>
    </message>
    <message>
        <source>Cannot be read, its package is unknown and left alone: %1</source>
        <translation>Nicht lesbar, das Paket dazu ist unbekannt und bleibt unberührt: %1</translation>
    </message>
    <message numerus="yes">
        <source>Uninstall %Ln package(s): %1? The files installed from them are removed from the library and the files they replaced are put back; a file changed since the install is kept.</source>
        <translation>
            <numerusform>%Ln Paket deinstallieren: %1? Die daraus installierten Dateien werden aus der Bibliothek entfernt und die von ihm ersetzten Dateien zurückgelegt; eine seit der Installation geänderte Datei bleibt erhalten.</numerusform>
            <numerusform>%Ln Pakete deinstallieren: %1? Die daraus installierten Dateien werden aus der Bibliothek entfernt und die von ihnen ersetzten Dateien zurückgelegt; eine seit der Installation geänderte Datei bleibt erhalten.</numerusform>
        </translation>
    </message>
    <message>
        <source>Uninstall</source>
        <translation>Deinstallieren</translation>
    </message>
    <message>
        <source>Uninstalling…</source>
        <translation>Deinstallation läuft…</translation>
    </message>
    <message>
        <source>The library cannot be changed: %1</source>
        <translation>Die Bibliothek kann nicht geändert werden: %1</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>%1 is not as installed: %2. %3</source>
        <translation>%1 ist nicht mehr wie installiert: %2. %3</translation>
    </message>
    <message>
        <source>Verifying every installed file…</source>
        <translation>Jede installierte Datei wird geprüft…</translation>
    </message>
    <message>
        <source>Cannot be read: %1</source>
        <translation>Nicht lesbar: %1</translation>
    </message>
    <message numerus="yes">
        <source>Every file of %Ln package(s) is as its install wrote it.</source>
        <translation>
            <numerusform>Jede Datei des Pakets ist so, wie seine Installation sie geschrieben hat.</numerusform>
            <numerusform>Jede Datei der %Ln Pakete ist so, wie ihre Installation sie geschrieben hat.</numerusform>
        </translation>
    </message>
    <message>
        <source>not as installed</source>
        <translation>nicht wie installiert</translation>
    </message>
    <message numerus="yes">
        <source>Repair %Ln package(s): %1? Their changed and missing files are written again from their archives; a version of yours is first kept in the library&apos;s records folder.</source>
        <translation>
            <numerusform>%Ln Paket reparieren: %1? Seine geänderten und fehlenden Dateien werden erneut aus dem Archiv geschrieben; Ihre Fassung wird zuvor im Verzeichnisordner der Bibliothek aufbewahrt.</numerusform>
            <numerusform>%Ln Pakete reparieren: %1? Ihre geänderten und fehlenden Dateien werden erneut aus den Archiven geschrieben; Ihre Fassungen werden zuvor im Verzeichnisordner der Bibliothek aufbewahrt.</numerusform>
        </translation>
    </message>
    <message>
        <source>Repair</source>
        <translation>Reparieren</translation>
    </message>
    <message>
        <source>Repairing…</source>
        <translation>Reparatur läuft…</translation>
    </message>
    <message>
        <source>%1 not repaired: %2</source>
        <translation>%1 nicht repariert: %2</translation>
    </message>
    <message numerus="yes">
        <source>%1: %Ln file(s) written again.</source>
        <translation>
            <numerusform>%1: %Ln Datei erneut geschrieben.</numerusform>
            <numerusform>%1: %Ln Dateien erneut geschrieben.</numerusform>
        </translation>
    </message>
    <message>
        <source>Your version of %1 is kept as %2</source>
        <translation>Ihre Fassung von %1 ist aufbewahrt als %2</translation>
    </message>
    <message>
        <source>%1 not uninstalled: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 not uninstalled: it is in %2, outside the library.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Your earlier version of %1 is beside it: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not as it should be: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 was installed into %2, outside the library, and nothing shows that PackShelf recorded it for you. Repair it there?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 was installed into %2, outside the library, and nothing shows that PackShelf recorded it for you. Uninstall it there?</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>packshelf::ListMenu</name>
    <message>
        <source>Sort by Name</source>
        <translation>Nach Name sortieren</translation>
    </message>
    <message>
        <source>Sort by Verdict</source>
        <translation>Nach Befund sortieren</translation>
    </message>
    <message>
        <source>List Order</source>
        <translation>Reihenfolge der Liste</translation>
    </message>
    <message>
        <source>Analyse Again</source>
        <translation>Erneut untersuchen</translation>
    </message>
    <message>
        <source>Forgets the folders chosen by hand and looks into the archive afresh</source>
        <translation>Vergisst die von Hand gewählten Ordner und untersucht das Archiv neu</translation>
    </message>
</context>
<context>
    <name>packshelf::MainWindow</name>
    <message>
        <source>Filter archives</source>
        <translation>Archive filtern</translation>
    </message>
    <message>
        <source>Escape clears the filter</source>
        <translation>Escape leert den Filter</translation>
    </message>
</context>
<context>
    <name>packshelf::PreviewDetailsModel</name>
    <message>
        <source>%1 — cannot be installed: %2</source>
        <translation>%1 — kann nicht installiert werden: %2</translation>
    </message>
    <message>
        <source>%1 — %2</source>
        <translation>%1 — %2</translation>
    </message>
    <message>
        <source>replaces the file of %1</source>
        <translation>ersetzt die Datei von %1</translation>
    </message>
    <message>
        <source>Action</source>
        <translation>Aktion</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Pfad</translation>
    </message>
    <message>
        <source>Conflict</source>
        <translation>Konflikt</translation>
    </message>
    <message>
        <source>%1 — already installed and unchanged: left alone</source>
        <translation>%1 — bereits unverändert installiert: belassen</translation>
    </message>
    <message>
        <source>written before by %1, earlier in this install</source>
        <translation>zuvor von %1 geschrieben, früher in dieser Installation</translation>
    </message>
    <message>
        <source>replaces a file no package installed</source>
        <translation>ersetzt eine Datei, die kein Paket installiert hat</translation>
    </message>
    <message>
        <source>the same as the file of %1</source>
        <translation>gleich der Datei von %1</translation>
    </message>
    <message>
        <source>written again by %1, later in this install</source>
        <translation>erneut von %1 geschrieben, später in dieser Installation</translation>
    </message>
</context>
</TS>

<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>Velmora</name>
    <message>
        <source>Velmora Application Cannot Be Shredded</source>
        <translation>Das Programm Velmora kann nicht vernichtet werden</translation>
    </message>
    <message>
        <source>Only Folder Can Be Shredded</source>
        <translation>Nur Ordner können vernichtet werden</translation>
    </message>
    <message>
        <source>Velmora Cannot Be Shredded</source>
        <translation>Velmora kann nicht vernichtet werden</translation>
    </message>
    <message>
        <source>Window System Folder Cannot Be Shredded</source>
        <extracomment>Said of /usr/bin: the system&apos;s folder of programs (&quot;Window&quot; is the message&apos;s own English).</extracomment>
        <translation>Der Programmordner des Systems kann nicht vernichtet werden</translation>
    </message>
    <message>
        <source>Window Folder Cannot Be Shredded</source>
        <extracomment>Said of /usr, the system&apos;s own folder.</extracomment>
        <translation>Der Systemordner kann nicht vernichtet werden</translation>
    </message>
    <message>
        <source>Choose A File ....</source>
        <translation>Datei wählen ....</translation>
    </message>
    <message>
        <source>These could not be put on the shred list:</source>
        <translation>Diese konnten nicht in die Vernichtungsliste aufgenommen werden:</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>Ones and Zeros</source>
        <translation>Einsen und Nullen</translation>
    </message>
    <message>
        <source>Random Chars</source>
        <translation>Zufallszeichen</translation>
    </message>
    <message>
        <source>Remove from List</source>
        <translation>Aus der Liste entfernen</translation>
    </message>
    <message>
        <source>(read-only)</source>
        <translation>(schreibgeschützt)</translation>
    </message>
    <message>
        <source>(a link)</source>
        <translation>(eine Verknüpfung)</translation>
    </message>
    <message>
        <source>(not a regular file)</source>
        <translation>(keine gewöhnliche Datei)</translation>
    </message>
    <message>
        <source>(not a folder)</source>
        <translation>(kein Ordner)</translation>
    </message>
    <message>
        <source>(a mount point)</source>
        <translation>(ein Einhängepunkt)</translation>
    </message>
    <message>
        <source>(not found)</source>
        <translation>(nicht gefunden)</translation>
    </message>
    <message>
        <source>(could not be opened)</source>
        <translation>(konnte nicht geöffnet werden)</translation>
    </message>
    <message>
        <source>(in use by another program)</source>
        <translation>(von einem anderen Programm benutzt)</translation>
    </message>
    <message>
        <source>(could not be written)</source>
        <translation>(konnte nicht geschrieben werden)</translation>
    </message>
    <message>
        <source>(could not be forced to the disk)</source>
        <translation>(konnte nicht auf den Datenträger geschrieben werden)</translation>
    </message>
    <message>
        <source>(could not be removed)</source>
        <translation>(konnte nicht entfernt werden)</translation>
    </message>
    <message>
        <source>(changed while being shredded)</source>
        <translation>(während des Vernichtens verändert)</translation>
    </message>
    <message>
        <source>(something inside could not be shredded)</source>
        <translation>(etwas darin konnte nicht vernichtet werden)</translation>
    </message>
    <message>
        <source>(stopped before it was reached)</source>
        <translation>(angehalten, bevor es an der Reihe war)</translation>
    </message>
    <message>
        <source>(stopped before it was finished)</source>
        <translation>(angehalten, bevor es fertig war)</translation>
    </message>
    <message>
        <source>(stopped part way: partly overwritten)</source>
        <translation>(mittendrin angehalten: teilweise überschrieben)</translation>
    </message>
    <message>
        <source>Some items could not be shredded:</source>
        <translation>Einige Einträge konnten nicht vernichtet werden:</translation>
    </message>
    <message>
        <source>(a folder: choose Shred Folder(s))</source>
        <translation>(ein Ordner: wählen Sie „Ordner vernichten“)</translation>
    </message>
    <message>
        <source>(a file: choose Shred File(s))</source>
        <translation>(eine Datei: wählen Sie „Dateien vernichten“)</translation>
    </message>
    <message>
        <source>Shredding %1</source>
        <translation>%1 wird vernichtet</translation>
    </message>
    <message>
        <source>Shredding %1: %2 files overwritten</source>
        <translation>%1 wird vernichtet: %2 Dateien überschrieben</translation>
    </message>
    <message>
        <source>Shredding %1: %2 of %3 files overwritten</source>
        <translation>%1 wird vernichtet: %2 von %3 Dateien überschrieben</translation>
    </message>
    <message>
        <source>Forcing to the disk</source>
        <translation>Wird auf den Datenträger geschrieben</translation>
    </message>
    <message>
        <source>Every file is overwritten: removing %1 of %2 entries</source>
        <translation>Jede Datei ist überschrieben: %1 von %2 Einträgen werden entfernt</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>&amp;Anhalten</translation>
    </message>
    <message>
        <source>Stopping...</source>
        <translation>Wird angehalten...</translation>
    </message>
    <message>
        <source>(flash storage)</source>
        <translation>(Flash-Speicher)</translation>
    </message>
    <message>
        <source>(data journaled by ext4)</source>
        <translation>(Daten im Journal von ext4)</translation>
    </message>
    <message>
        <source>(copy-on-write file system)</source>
        <translation>(Copy-on-Write-Dateisystem)</translation>
    </message>
    <message>
        <source>(overlay: the original may stay in a lower layer)</source>
        <translation>(Overlay: das Original kann in einer unteren Schicht bleiben)</translation>
    </message>
    <message>
        <source>(user-space file system)</source>
        <translation>(Dateisystem im Benutzerbereich)</translation>
    </message>
    <message>
        <source>(network file system)</source>
        <translation>(Netzwerkdateisystem)</translation>
    </message>
    <message>
        <source>Shredded, but the disk may keep old copies:</source>
        <translation>Vernichtet, aber der Datenträger kann alte Kopien behalten:</translation>
    </message>
    <message>
        <source>Don&apos;t tell me again for these drives</source>
        <translation>Für diese Laufwerke nicht mehr melden</translation>
    </message>
    <message>
        <source>Velmora Report</source>
        <translation>Velmora-Bericht</translation>
    </message>
    <message>
        <source>Velmora Help</source>
        <translation>Velmora-Hilfe</translation>
    </message>
    <message>
        <source>Velmora</source>
        <translation>Velmora</translation>
    </message>
    <message>
        <source>Do You Wish To Update The Software ?</source>
        <translation>Möchten Sie das Programm aktualisieren?</translation>
    </message>
    <message>
        <source>Velmora has shred the %1 Technique and %2 Number of times</source>
        <extracomment>The result page&apos;s caption, its English odd on purpose (&quot;has shred&quot;, &quot;3 Number of times&quot;): say in good words that the items were shredded with technique %1 and pass count %2.</extracomment>
        <translation>Velmora hat mit der Technik %1 vernichtet, Anzahl Überschreibungen: %2</translation>
    </message>
    <message>
        <source>Velmora has shred the File(s)/Folder with %1 Technique and %2 Number of times</source>
        <extracomment>As the file mode&apos;s caption, for folders.</extracomment>
        <translation>Velmora hat die Dateien/Ordner mit der Technik %1 vernichtet, Anzahl Überschreibungen: %2</translation>
    </message>
    <message>
        <source>%1 byte</source>
        <translation>%1 Byte</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 Bytes</translation>
    </message>
    <message>
        <source>KiB</source>
        <translation>KiB</translation>
    </message>
    <message>
        <source>MiB</source>
        <translation>MiB</translation>
    </message>
    <message>
        <source>GiB</source>
        <translation>GiB</translation>
    </message>
    <message>
        <source>TiB</source>
        <translation>TiB</translation>
    </message>
    <message>
        <source>PiB</source>
        <translation>PiB</translation>
    </message>
    <message>
        <source>EiB</source>
        <translation>EiB</translation>
    </message>
    <message>
        <source>%1.%2</source>
        <extracomment>A size with one decimal: whole units, then tenths (&quot;1.5 GiB&quot;).</extracomment>
        <translation>%1,%2</translation>
    </message>
    <message>
        <source>Wipe the free space of the disk that holds %1?

Velmora fills every free block of that file system with its pattern, forces it to the disk and removes the fill again. The disk is full for a while; other programs writing to it may fail until it ends. This may take long.</source>
        <translation>Den freien Speicher des Datenträgers löschen, auf dem %1 liegt?

Velmora füllt jeden freien Block dieses Dateisystems mit seinem Muster, schreibt es auf den Datenträger und entfernt die Füllung wieder. Der Datenträger ist eine Weile voll; andere Programme, die darauf schreiben, können bis zum Ende scheitern. Das kann lange dauern.</translation>
    </message>
    <message>
        <source>%1 cannot be opened (%2): its free space was not wiped.</source>
        <translation>%1 kann nicht geöffnet werden (%2): sein freier Speicher wurde nicht gelöscht.</translation>
    </message>
    <message>
        <source>The disk that holds %1 is mounted read-only: its free space cannot be wiped.</source>
        <translation>Der Datenträger, auf dem %1 liegt, ist schreibgeschützt eingehängt: sein freier Speicher kann nicht gelöscht werden.</translation>
    </message>
    <message>
        <source>You cannot create files in %1: Velmora cannot wipe the free space of its disk from there.</source>
        <translation>Sie können in %1 keine Dateien anlegen: Velmora kann den freien Speicher dieses Datenträgers von dort aus nicht löschen.</translation>
    </message>
    <message>
        <source>Velmora could not create its fill folder in %1 (%2): the free space was not wiped.</source>
        <translation>Velmora konnte seinen Füllordner in %1 nicht anlegen (%2): der freie Speicher wurde nicht gelöscht.</translation>
    </message>
    <message>
        <source>Wiping free space on %1</source>
        <translation>Freier Speicher auf %1 wird gelöscht</translation>
    </message>
    <message>
        <source>(stopped)</source>
        <translation>(angehalten)</translation>
    </message>
    <message>
        <source>(the space reserved for the administrator was not reached)</source>
        <translation>(der für den Administrator reservierte Platz wurde nicht erreicht)</translation>
    </message>
    <message>
        <source>The free space of %1 was wiped: %2 overwritten.</source>
        <translation>Der freie Speicher von %1 wurde gelöscht: %2 überschrieben.</translation>
    </message>
    <message>
        <source>The free space of %1 was only partly wiped: %2 overwritten %3.</source>
        <translation>Der freie Speicher von %1 wurde nur teilweise gelöscht: %2 überschrieben %3.</translation>
    </message>
    <message>
        <source>The file system held back %1 of free space from every program; it was not overwritten, but the disk was told to discard it.</source>
        <translation>Das Dateisystem hielt %1 freien Speicher vor allen Programmen zurück; er wurde nicht überschrieben, aber der Datenträger wurde angewiesen, ihn zu verwerfen.</translation>
    </message>
    <message>
        <source>The file system held back %1 of free space from every program; it was not overwritten.</source>
        <translation>Das Dateisystem hielt %1 freien Speicher vor allen Programmen zurück; er wurde nicht überschrieben.</translation>
    </message>
    <message>
        <source>This disk may keep old copies anyway (%1).</source>
        <translation>Dieser Datenträger kann trotzdem alte Kopien behalten (%1).</translation>
    </message>
    <message>
        <source>Choose A Folder On The Disk To Wipe</source>
        <translation>Einen Ordner auf dem zu löschenden Datenträger wählen</translation>
    </message>
    <message>
        <source>(stopped after %1 of %2 passes: removed)</source>
        <translation>(nach %1 von %2 Durchgängen angehalten: entfernt)</translation>
    </message>
    <message>
        <source>Shredding %1: pass %2 of %3</source>
        <translation>%1 wird vernichtet: Durchgang %2 von %3</translation>
    </message>
    <message>
        <source>%1: and %2 more (see the report)</source>
        <translation>%1: und %2 weitere (siehe Bericht)</translation>
    </message>
    <message>
        <source>(stopped before it was finished: %1 of %2 files left)</source>
        <translation>(angehalten, bevor es fertig war: %1 von %2 Dateien verblieben)</translation>
    </message>
    <message>
        <source>(the fill %1 could not be removed: %2)</source>
        <translation>(die Füllung %1 konnte nicht entfernt werden: %2)</translation>
    </message>
    <message>
        <source>The fill keeps the disk full. Velmora tries again at its next start; you may remove that folder yourself.</source>
        <translation>Die Füllung hält den Datenträger voll. Velmora versucht es beim nächsten Start erneut; Sie können diesen Ordner auch selbst entfernen.</translation>
    </message>
    <message>
        <source>System Folder Cannot Be Shredded</source>
        <extracomment>Said of the folders the system itself lives in (/etc, /var, /boot...).</extracomment>
        <translation>Ein Ordner des Systems kann nicht vernichtet werden</translation>
    </message>
    <message>
        <source>Home Folder Cannot Be Shredded</source>
        <extracomment>Said of the user&apos;s own home folder itself.</extracomment>
        <translation>Der persönliche Ordner kann nicht vernichtet werden</translation>
    </message>
</context>
<context>
    <name>velmora::FrmMain</name>
    <message>
        <source>Select Files to Shred:</source>
        <translation>Zu vernichtende Dateien wählen:</translation>
    </message>
    <message>
        <source>Select a Folder to Shred:</source>
        <translation>Zu vernichtenden Ordner wählen:</translation>
    </message>
    <message>
        <source>%1 Is Already Running</source>
        <translation>%1 läuft bereits</translation>
    </message>
    <message>
        <source>Velmora v1.0</source>
        <translation>Velmora v1.0</translation>
    </message>
    <message>
        <source>Velmora</source>
        <translation>Velmora</translation>
    </message>
    <message>
        <source>Velmora is the ultimate file shredder software. By &quot;shredding&quot; a file/ folder it gets encrypted and can never be recovered. Velmora permanently destroys files/folders from your computer.</source>
        <extracomment>Says &quot;encrypted&quot; where the files are overwritten: translate what is true (&quot;overwritten&quot;), as a careful translator would.</extracomment>
        <translation>Velmora ist der Aktenvernichter für Ihre Dateien. Eine „vernichtete“ Datei oder ein vernichteter Ordner wird überschrieben und kann nie wiederhergestellt werden. Velmora entfernt Dateien und Ordner endgültig von Ihrem Computer.</translation>
    </message>
    <message>
        <source>Shred Folder(s)</source>
        <translation>Ordner vernichten</translation>
    </message>
    <message>
        <source>Shred File(s)</source>
        <translation>Dateien vernichten</translation>
    </message>
    <message>
        <source>Over write No. of Times</source>
        <extracomment>&quot;Overwrite&quot; in two words is the page&apos;s own; the list beside it holds the pass count.</extracomment>
        <translation>Anzahl Überschreibungen</translation>
    </message>
    <message>
        <source>Over write with</source>
        <translation>Überschreiben mit</translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Next &gt;&gt;</source>
        <translation>&amp;Weiter &gt;&gt;</translation>
    </message>
    <message>
        <source>Select Files </source>
        <extracomment>The trailing space is the page&apos;s own; keep one.</extracomment>
        <translation>Dateien auswählen </translation>
    </message>
    <message>
        <source>Velmora allows you to choose the files and folders you want to destroy forever.</source>
        <translation>Mit Velmora wählen Sie die Dateien und Ordner, die Sie für immer vernichten möchten.</translation>
    </message>
    <message>
        <source>&amp;Add File / Folder To Shred</source>
        <translation>Datei / Ordner hinzu&amp;fügen</translation>
    </message>
    <message>
        <source>&amp;Clear</source>
        <translation>&amp;Leeren</translation>
    </message>
    <message>
        <source>You will not be able to recover the files once it has been shred.</source>
        <extracomment>&quot;has been shred&quot;: the page&apos;s own English; say that shredded files cannot be recovered.</extracomment>
        <translation>Vernichtete Dateien können Sie nicht wiederherstellen.</translation>
    </message>
    <message>
        <source>&amp;Shred Now</source>
        <translation>&amp;Jetzt vernichten</translation>
    </message>
    <message>
        <source>&lt;&lt; &amp;Back</source>
        <translation>&lt;&lt; &amp;Zurück</translation>
    </message>
    <message>
        <source>See Velmora Report</source>
        <translation>Velmora-Bericht ansehen</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>&amp;Exit </source>
        <extracomment>The trailing space is the result page&apos;s own; keep one.</extracomment>
        <translation>&amp;Beenden </translation>
    </message>
    <message>
        <source>Velmora is the ultimate solution to making data unrecoverable from files and folders in your hard disks. Velmora permanently destroys files/folders from your computer.</source>
        <translation>Velmora macht die Daten in Dateien und Ordnern auf Ihren Festplatten unwiederbringlich. Velmora entfernt Dateien und Ordner endgültig von Ihrem Computer.</translation>
    </message>
    <message>
        <source>Visit us on the web</source>
        <translation>Besuchen Sie uns im Web</translation>
    </message>
    <message>
        <source>Visit us at %1</source>
        <translation>Besuchen Sie uns unter %1</translation>
    </message>
    <message>
        <source>Contact Us</source>
        <translation>Kontakt</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Reset</source>
        <translation>Zu&amp;rücksetzen</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Wipe Free Space...</source>
        <translation>&amp;Freien Speicher löschen...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>B&amp;eenden</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;Online Help</source>
        <translation>&amp;Online-Hilfe</translation>
    </message>
    <message>
        <source>&amp;Visit Us Online</source>
        <translation>&amp;Besuchen Sie uns online</translation>
    </message>
    <message>
        <source>&amp;About Software</source>
        <translation>Über das &amp;Programm</translation>
    </message>
    <message>
        <source>Shred list</source>
        <translation>Vernichtungsliste</translation>
    </message>
    <message>
        <source>The name Velmora over a globe and a paper shredder</source>
        <translation>Der Name Velmora über einem Globus und einem Aktenvernichter</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>How many times each file is overwritten in full, each pass forced to the disk</source>
        <translation>Wie oft jede Datei vollständig überschrieben wird; jeder Durchgang wird auf den Datenträger geschrieben</translation>
    </message>
    <message>
        <source>What the passes before the last write: Ones and Zeros writes 0xFF and 0x00 in turn, Random Chars random bytes; the last pass always writes the fill pattern</source>
        <translation>Was die Durchgänge vor dem letzten schreiben: Einsen und Nullen schreibt abwechselnd 0xFF und 0x00, Zufallszeichen zufällige Bytes; der letzte Durchgang schreibt immer das Füllmuster</translation>
    </message>
    <message>
        <source>No report was written for this run: Velmora found no folder it may write it to, or could not record it so as to destroy it later.</source>
        <translation>Für diesen Lauf wurde kein Bericht geschrieben: Velmora fand keinen Ordner, in den es ihn schreiben darf, oder konnte ihn nicht vermerken, um ihn später zu vernichten.</translation>
    </message>
    <message>
        <source>Nothing was shredded; the report names every item and says why.</source>
        <translation>Nichts wurde vernichtet; der Bericht nennt jeden Eintrag und den Grund.</translation>
    </message>
    <message>
        <source>Nothing was shredded.</source>
        <translation>Nichts wurde vernichtet.</translation>
    </message>
    <message>
        <source>(could not be handed to the running Velmora)</source>
        <translation>(konnte nicht an das laufende Velmora übergeben werden)</translation>
    </message>
    <message numerus="yes">
        <source>%n of %1 items could not be shredded; the report names them and says why.</source>
        <translation>
            <numerusform>%n von %1 Einträgen konnte nicht vernichtet werden; der Bericht nennt ihn und den Grund.</numerusform>
            <numerusform>%n von %1 Einträgen konnten nicht vernichtet werden; der Bericht nennt sie und den Grund.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n of %1 items could not be shredded.</source>
        <translation>
            <numerusform>%n von %1 Einträgen konnte nicht vernichtet werden.</numerusform>
            <numerusform>%n von %1 Einträgen konnten nicht vernichtet werden.</numerusform>
        </translation>
    </message>
</context>
</TS>

<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>Velmora</name>
    <message>
        <source>Velmora Application Cannot Be Shredded</source>
        <translation>L&apos;application Velmora ne peut pas être détruite</translation>
    </message>
    <message>
        <source>Only Folder Can Be Shredded</source>
        <translation>Seuls des dossiers peuvent être détruits</translation>
    </message>
    <message>
        <source>Velmora Cannot Be Shredded</source>
        <translation>Velmora ne peut pas être détruit</translation>
    </message>
    <message>
        <source>Window System Folder Cannot Be Shredded</source>
        <extracomment>Said of /usr/bin: the system&apos;s folder of programs (&quot;Window&quot; is the message&apos;s own English).</extracomment>
        <translation>Le dossier des programmes du système ne peut pas être détruit</translation>
    </message>
    <message>
        <source>Window Folder Cannot Be Shredded</source>
        <extracomment>Said of /usr, the system&apos;s own folder.</extracomment>
        <translation>Le dossier du système ne peut pas être détruit</translation>
    </message>
    <message>
        <source>Choose A File ....</source>
        <translation>Choisir un fichier ....</translation>
    </message>
    <message>
        <source>These could not be put on the shred list:</source>
        <translation>Ceux-ci n&apos;ont pas pu être mis sur la liste à détruire :</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Fichiers</translation>
    </message>
    <message>
        <source>Ones and Zeros</source>
        <translation>Uns et zéros</translation>
    </message>
    <message>
        <source>Random Chars</source>
        <translation>Caractères aléatoires</translation>
    </message>
    <message>
        <source>Remove from List</source>
        <translation>Retirer de la liste</translation>
    </message>
    <message>
        <source>(read-only)</source>
        <translation>(en lecture seule)</translation>
    </message>
    <message>
        <source>(a link)</source>
        <translation>(un lien)</translation>
    </message>
    <message>
        <source>(not a regular file)</source>
        <translation>(pas un fichier ordinaire)</translation>
    </message>
    <message>
        <source>(not a folder)</source>
        <translation>(pas un dossier)</translation>
    </message>
    <message>
        <source>(a mount point)</source>
        <translation>(un point de montage)</translation>
    </message>
    <message>
        <source>(not found)</source>
        <translation>(introuvable)</translation>
    </message>
    <message>
        <source>(could not be opened)</source>
        <translation>(n&apos;a pas pu être ouvert)</translation>
    </message>
    <message>
        <source>(in use by another program)</source>
        <translation>(utilisé par un autre programme)</translation>
    </message>
    <message>
        <source>(could not be written)</source>
        <translation>(n&apos;a pas pu être écrit)</translation>
    </message>
    <message>
        <source>(could not be forced to the disk)</source>
        <translation>(n&apos;a pas pu être forcé sur le disque)</translation>
    </message>
    <message>
        <source>(could not be removed)</source>
        <translation>(n&apos;a pas pu être supprimé)</translation>
    </message>
    <message>
        <source>(changed while being shredded)</source>
        <translation>(modifié pendant la destruction)</translation>
    </message>
    <message>
        <source>(something inside could not be shredded)</source>
        <translation>(un élément à l&apos;intérieur n&apos;a pas pu être détruit)</translation>
    </message>
    <message>
        <source>(stopped before it was reached)</source>
        <translation>(arrêté avant d&apos;être atteint)</translation>
    </message>
    <message>
        <source>(stopped before it was finished)</source>
        <translation>(arrêté avant la fin)</translation>
    </message>
    <message>
        <source>(stopped part way: partly overwritten)</source>
        <translation>(arrêté en cours : partiellement écrasé)</translation>
    </message>
    <message>
        <source>Some items could not be shredded:</source>
        <translation>Certains éléments n&apos;ont pas pu être détruits :</translation>
    </message>
    <message>
        <source>(a folder: choose Shred Folder(s))</source>
        <translation>(un dossier : choisissez « Détruire des dossiers »)</translation>
    </message>
    <message>
        <source>(a file: choose Shred File(s))</source>
        <translation>(un fichier : choisissez « Détruire des fichiers »)</translation>
    </message>
    <message>
        <source>Shredding %1</source>
        <translation>Destruction de %1</translation>
    </message>
    <message>
        <source>Shredding %1: %2 files overwritten</source>
        <translation>Destruction de %1 : %2 fichiers écrasés</translation>
    </message>
    <message>
        <source>Shredding %1: %2 of %3 files overwritten</source>
        <translation>Destruction de %1 : %2 fichiers écrasés sur %3</translation>
    </message>
    <message>
        <source>Forcing to the disk</source>
        <translation>Écriture forcée sur le disque</translation>
    </message>
    <message>
        <source>Every file is overwritten: removing %1 of %2 entries</source>
        <translation>Tous les fichiers sont écrasés : suppression de %1 entrées sur %2</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>&amp;Arrêter</translation>
    </message>
    <message>
        <source>Stopping...</source>
        <translation>Arrêt en cours...</translation>
    </message>
    <message>
        <source>(flash storage)</source>
        <translation>(mémoire flash)</translation>
    </message>
    <message>
        <source>(data journaled by ext4)</source>
        <translation>(données journalisées par ext4)</translation>
    </message>
    <message>
        <source>(copy-on-write file system)</source>
        <translation>(système de fichiers à copie sur écriture)</translation>
    </message>
    <message>
        <source>(overlay: the original may stay in a lower layer)</source>
        <translation>(overlay : l&apos;original peut rester dans une couche inférieure)</translation>
    </message>
    <message>
        <source>(user-space file system)</source>
        <translation>(système de fichiers en espace utilisateur)</translation>
    </message>
    <message>
        <source>(network file system)</source>
        <translation>(système de fichiers réseau)</translation>
    </message>
    <message>
        <source>Shredded, but the disk may keep old copies:</source>
        <translation>Détruits, mais le disque peut garder d&apos;anciennes copies :</translation>
    </message>
    <message>
        <source>Don&apos;t tell me again for these drives</source>
        <translation>Ne plus me le dire pour ces disques</translation>
    </message>
    <message>
        <source>Velmora Report</source>
        <translation>Rapport de Velmora</translation>
    </message>
    <message>
        <source>Velmora Help</source>
        <translation>Aide de Velmora</translation>
    </message>
    <message>
        <source>Velmora</source>
        <translation>Velmora</translation>
    </message>
    <message>
        <source>Do You Wish To Update The Software ?</source>
        <translation>Voulez-vous mettre le logiciel à jour ?</translation>
    </message>
    <message>
        <source>Velmora has shred the %1 Technique and %2 Number of times</source>
        <extracomment>The result page&apos;s caption, its English odd on purpose (&quot;has shred&quot;, &quot;3 Number of times&quot;): say in good words that the items were shredded with technique %1 and pass count %2.</extracomment>
        <translation>Velmora a détruit avec la technique %1, nombre d&apos;écrasements : %2</translation>
    </message>
    <message>
        <source>Velmora has shred the File(s)/Folder with %1 Technique and %2 Number of times</source>
        <extracomment>As the file mode&apos;s caption, for folders.</extracomment>
        <translation>Velmora a détruit les fichiers/dossiers avec la technique %1, nombre d&apos;écrasements : %2</translation>
    </message>
    <message>
        <source>%1 byte</source>
        <translation>%1 octet</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 octets</translation>
    </message>
    <message>
        <source>KiB</source>
        <translation>Kio</translation>
    </message>
    <message>
        <source>MiB</source>
        <translation>Mio</translation>
    </message>
    <message>
        <source>GiB</source>
        <translation>Gio</translation>
    </message>
    <message>
        <source>TiB</source>
        <translation>Tio</translation>
    </message>
    <message>
        <source>PiB</source>
        <translation>Pio</translation>
    </message>
    <message>
        <source>EiB</source>
        <translation>Eio</translation>
    </message>
    <message>
        <source>%1.%2</source>
        <extracomment>A size with one decimal: whole units, then tenths (&quot;1.5 GiB&quot;).</extracomment>
        <translation>%1,%2</translation>
    </message>
    <message>
        <source>Wipe the free space of the disk that holds %1?

Velmora fills every free block of that file system with its pattern, forces it to the disk and removes the fill again. The disk is full for a while; other programs writing to it may fail until it ends. This may take long.</source>
        <translation>Effacer l&apos;espace libre du disque qui contient %1 ?

Velmora remplit chaque bloc libre de ce système de fichiers avec son motif, le force sur le disque puis retire le remplissage. Le disque est plein pendant un moment ; les autres programmes qui y écrivent peuvent échouer jusqu&apos;à la fin. Cela peut être long.</translation>
    </message>
    <message>
        <source>%1 cannot be opened (%2): its free space was not wiped.</source>
        <translation>%1 ne peut pas être ouvert (%2) : son espace libre n&apos;a pas été effacé.</translation>
    </message>
    <message>
        <source>The disk that holds %1 is mounted read-only: its free space cannot be wiped.</source>
        <translation>Le disque qui contient %1 est monté en lecture seule : son espace libre ne peut pas être effacé.</translation>
    </message>
    <message>
        <source>You cannot create files in %1: Velmora cannot wipe the free space of its disk from there.</source>
        <translation>Vous ne pouvez pas créer de fichiers dans %1 : Velmora ne peut pas effacer l&apos;espace libre de son disque depuis là.</translation>
    </message>
    <message>
        <source>Velmora could not create its fill folder in %1 (%2): the free space was not wiped.</source>
        <translation>Velmora n&apos;a pas pu créer son dossier de remplissage dans %1 (%2) : l&apos;espace libre n&apos;a pas été effacé.</translation>
    </message>
    <message>
        <source>Wiping free space on %1</source>
        <translation>Effacement de l&apos;espace libre sur %1</translation>
    </message>
    <message>
        <source>(stopped)</source>
        <translation>(arrêté)</translation>
    </message>
    <message>
        <source>(the space reserved for the administrator was not reached)</source>
        <translation>(l&apos;espace réservé à l&apos;administrateur n&apos;a pas été atteint)</translation>
    </message>
    <message>
        <source>The free space of %1 was wiped: %2 overwritten.</source>
        <translation>L&apos;espace libre de %1 a été effacé (volume écrasé : %2).</translation>
    </message>
    <message>
        <source>The free space of %1 was only partly wiped: %2 overwritten %3.</source>
        <translation>L&apos;espace libre de %1 n&apos;a été que partiellement effacé (volume écrasé : %2) %3.</translation>
    </message>
    <message>
        <source>The file system held back %1 of free space from every program; it was not overwritten, but the disk was told to discard it.</source>
        <translation>Le système de fichiers a retenu %1 d&apos;espace libre pour tous les programmes ; il n&apos;a pas été écrasé, mais le disque a reçu l&apos;ordre de l&apos;abandonner.</translation>
    </message>
    <message>
        <source>The file system held back %1 of free space from every program; it was not overwritten.</source>
        <translation>Le système de fichiers a retenu %1 d&apos;espace libre pour tous les programmes ; il n&apos;a pas été écrasé.</translation>
    </message>
    <message>
        <source>This disk may keep old copies anyway (%1).</source>
        <translation>Ce disque peut tout de même garder d&apos;anciennes copies (%1).</translation>
    </message>
    <message>
        <source>Choose A Folder On The Disk To Wipe</source>
        <translation>Choisir un dossier sur le disque à effacer</translation>
    </message>
    <message>
        <source>(stopped after %1 of %2 passes: removed)</source>
        <translation>(arrêté après %1 passes sur %2 : supprimé)</translation>
    </message>
    <message>
        <source>Shredding %1: pass %2 of %3</source>
        <translation>Destruction de %1 : passe %2 sur %3</translation>
    </message>
    <message>
        <source>%1: and %2 more (see the report)</source>
        <translation>%1 : et %2 de plus (voir le rapport)</translation>
    </message>
    <message>
        <source>(stopped before it was finished: %1 of %2 files left)</source>
        <translation>(arrêté avant la fin : %1 fichiers sur %2 restent)</translation>
    </message>
    <message>
        <source>(the fill %1 could not be removed: %2)</source>
        <translation>(le remplissage %1 n&apos;a pas pu être supprimé : %2)</translation>
    </message>
    <message>
        <source>The fill keeps the disk full. Velmora tries again at its next start; you may remove that folder yourself.</source>
        <translation>Le remplissage laisse le disque plein. Velmora réessaiera à son prochain démarrage ; vous pouvez aussi supprimer ce dossier vous-même.</translation>
    </message>
    <message>
        <source>System Folder Cannot Be Shredded</source>
        <extracomment>Said of the folders the system itself lives in (/etc, /var, /boot...).</extracomment>
        <translation>Un dossier du système ne peut pas être détruit</translation>
    </message>
    <message>
        <source>Home Folder Cannot Be Shredded</source>
        <extracomment>Said of the user&apos;s own home folder itself.</extracomment>
        <translation>Le dossier personnel ne peut pas être détruit</translation>
    </message>
</context>
<context>
    <name>velmora::FrmMain</name>
    <message>
        <source>Select Files to Shred:</source>
        <translation>Fichiers à détruire :</translation>
    </message>
    <message>
        <source>Select a Folder to Shred:</source>
        <translation>Dossier à détruire :</translation>
    </message>
    <message>
        <source>%1 Is Already Running</source>
        <translation>%1 est déjà en cours d&apos;exécution</translation>
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
        <translation>Velmora est le destructeur de fichiers par excellence. Un fichier ou un dossier « détruit » est écrasé et ne peut jamais être récupéré. Velmora efface définitivement fichiers et dossiers de votre ordinateur.</translation>
    </message>
    <message>
        <source>Shred Folder(s)</source>
        <translation>Détruire des dossiers</translation>
    </message>
    <message>
        <source>Shred File(s)</source>
        <translation>Détruire des fichiers</translation>
    </message>
    <message>
        <source>Over write No. of Times</source>
        <extracomment>&quot;Overwrite&quot; in two words is the page&apos;s own; the list beside it holds the pass count.</extracomment>
        <translation>Nombre d&apos;écrasements</translation>
    </message>
    <message>
        <source>Over write with</source>
        <translation>Écraser avec</translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>&amp;Next &gt;&gt;</source>
        <translation>&amp;Suivant &gt;&gt;</translation>
    </message>
    <message>
        <source>Select Files </source>
        <extracomment>The trailing space is the page&apos;s own; keep one.</extracomment>
        <translation>Choisir les fichiers </translation>
    </message>
    <message>
        <source>Velmora allows you to choose the files and folders you want to destroy forever.</source>
        <translation>Velmora vous laisse choisir les fichiers et dossiers que vous voulez détruire à jamais.</translation>
    </message>
    <message>
        <source>&amp;Add File / Folder To Shred</source>
        <translation>Aj&amp;outer un fichier / dossier</translation>
    </message>
    <message>
        <source>&amp;Clear</source>
        <translation>&amp;Vider</translation>
    </message>
    <message>
        <source>You will not be able to recover the files once it has been shred.</source>
        <extracomment>&quot;has been shred&quot;: the page&apos;s own English; say that shredded files cannot be recovered.</extracomment>
        <translation>Une fois détruits, les fichiers ne pourront plus être récupérés.</translation>
    </message>
    <message>
        <source>&amp;Shred Now</source>
        <translation>&amp;Détruire maintenant</translation>
    </message>
    <message>
        <source>&lt;&lt; &amp;Back</source>
        <translation>&lt;&lt; Re&amp;tour</translation>
    </message>
    <message>
        <source>See Velmora Report</source>
        <translation>Voir le rapport de Velmora</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Retour</translation>
    </message>
    <message>
        <source>&amp;Exit </source>
        <extracomment>The trailing space is the result page&apos;s own; keep one.</extracomment>
        <translation>&amp;Quitter </translation>
    </message>
    <message>
        <source>Velmora is the ultimate solution to making data unrecoverable from files and folders in your hard disks. Velmora permanently destroys files/folders from your computer.</source>
        <translation>Velmora rend irrécupérables les données des fichiers et dossiers de vos disques. Velmora efface définitivement fichiers et dossiers de votre ordinateur.</translation>
    </message>
    <message>
        <source>Visit us on the web</source>
        <translation>Rendez-nous visite sur le web</translation>
    </message>
    <message>
        <source>Visit us at %1</source>
        <translation>Rendez-nous visite sur %1</translation>
    </message>
    <message>
        <source>Contact Us</source>
        <translation>Nous contacter</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Reset</source>
        <translation>&amp;Réinitialiser</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Fichier</translation>
    </message>
    <message>
        <source>&amp;Wipe Free Space...</source>
        <translation>&amp;Effacer l&apos;espace libre...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Aide</translation>
    </message>
    <message>
        <source>&amp;Online Help</source>
        <translation>&amp;Aide en ligne</translation>
    </message>
    <message>
        <source>&amp;Visit Us Online</source>
        <translation>&amp;Nous rendre visite en ligne</translation>
    </message>
    <message>
        <source>&amp;About Software</source>
        <translation>À &amp;propos du logiciel</translation>
    </message>
    <message>
        <source>Shred list</source>
        <translation>Liste à détruire</translation>
    </message>
    <message>
        <source>The name Velmora over a globe and a paper shredder</source>
        <translation>Le nom Velmora au-dessus d&apos;un globe et d&apos;un destructeur de documents</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Dossier</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Fichier</translation>
    </message>
    <message>
        <source>How many times each file is overwritten in full, each pass forced to the disk</source>
        <translation>Combien de fois chaque fichier est entièrement écrasé, chaque passe étant forcée sur le disque</translation>
    </message>
    <message>
        <source>What the passes before the last write: Ones and Zeros writes 0xFF and 0x00 in turn, Random Chars random bytes; the last pass always writes the fill pattern</source>
        <translation>Ce qu&apos;écrivent les passes avant la dernière : Uns et zéros écrit 0xFF et 0x00 en alternance, Caractères aléatoires des octets aléatoires ; la dernière passe écrit toujours le motif de remplissage</translation>
    </message>
    <message>
        <source>No report was written for this run: Velmora found no folder it may write it to, or could not record it so as to destroy it later.</source>
        <translation>Aucun rapport n&apos;a été écrit pour cette exécution : Velmora n&apos;a trouvé aucun dossier où l&apos;écrire, ou n&apos;a pas pu le noter pour le détruire plus tard.</translation>
    </message>
    <message>
        <source>Nothing was shredded; the report names every item and says why.</source>
        <translation>Rien n&apos;a été détruit ; le rapport nomme chaque élément et dit pourquoi.</translation>
    </message>
    <message>
        <source>Nothing was shredded.</source>
        <translation>Rien n&apos;a été détruit.</translation>
    </message>
    <message>
        <source>(could not be handed to the running Velmora)</source>
        <translation>(n&apos;a pas pu être transmis au Velmora en cours d&apos;exécution)</translation>
    </message>
    <message numerus="yes">
        <source>%n of %1 items could not be shredded; the report names them and says why.</source>
        <translation>
            <numerusform>%n élément sur %1 n&apos;a pas pu être détruit ; le rapport le nomme et dit pourquoi.</numerusform>
            <numerusform>%n éléments sur %1 n&apos;ont pas pu être détruits ; le rapport les nomme et dit pourquoi.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n of %1 items could not be shredded.</source>
        <translation>
            <numerusform>%n élément sur %1 n&apos;a pas pu être détruit.</numerusform>
            <numerusform>%n éléments sur %1 n&apos;ont pas pu être détruits.</numerusform>
        </translation>
    </message>
</context>
</TS>

<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>CDgnImportDlg</name>
    <message>
        <source>Files</source>
        <translation>Fichiers</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>&amp;Master units [%1]</source>
        <translation>&amp;Unités principales [%1]</translation>
    </message>
    <message>
        <source>S&amp;ub units [%1]</source>
        <translation>Unités s&amp;econdaires [%1]</translation>
    </message>
    <message>
        <source>DGN (*.dgn)</source>
        <translation>Fichiers DGN (*.dgn)</translation>
    </message>
    <message>
        <source>Unable to locate file.</source>
        <translation>Fichier introuvable.</translation>
    </message>
    <message>
        <source>Invalid file. file %1 has unsupported or unrecognized format.</source>
        <translation>Fichier non valide. Le fichier %1 a un format non pris en charge ou non reconnu.</translation>
    </message>
    <message>
        <source>This Drawing cannot be loaded because it is not a DGN file.</source>
        <translation>Ce dessin ne peut pas être chargé, car ce n&apos;est pas un fichier DGN.</translation>
    </message>
    <message>
        <source>Conversion units</source>
        <translation>Unités de conversion</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Démarrer</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Batch Processing</source>
        <translation>Traitement par lots</translation>
    </message>
    <message>
        <source>No DGN file found in the specified path.</source>
        <translation>Aucun fichier DGN n&apos;a été trouvé dans le chemin indiqué.</translation>
    </message>
    <message>
        <source>Design model</source>
        <translation>Modèle</translation>
    </message>
    <message>
        <source>Unit value</source>
        <translation>Unité</translation>
    </message>
    <message>
        <source>Master units</source>
        <translation>Unités principales</translation>
    </message>
    <message>
        <source>Sub units</source>
        <translation>Unités secondaires</translation>
    </message>
    <message>
        <source>DGN Import</source>
        <translation>Importation DGN</translation>
    </message>
    <message>
        <source>Mode</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>&amp;Insert as Block</source>
        <translation>&amp;Insérer comme bloc</translation>
    </message>
    <message>
        <source>&amp;Batch processing</source>
        <translation>&amp;Traitement par lots</translation>
    </message>
    <message>
        <source>Explode te&amp;xt node to text elements</source>
        <translation>&amp;Décomposer les nœuds de texte en éléments texte</translation>
    </message>
    <message>
        <source>DGN file</source>
        <translation>Fichier DGN</translation>
    </message>
    <message>
        <source>Name:</source>
        <translation>Nom :</translation>
    </message>
    <message>
        <source>Bro&amp;wse...</source>
        <translation>&amp;Parcourir...</translation>
    </message>
    <message>
        <source>Path:</source>
        <translation>Chemin :</translation>
    </message>
    <message>
        <source>Select a design model</source>
        <translation>Choisir un modèle de conception</translation>
    </message>
    <message>
        <source>Position</source>
        <translation>Point d&apos;insertion</translation>
    </message>
    <message>
        <source>Scale</source>
        <translation>Échelle</translation>
    </message>
    <message>
        <source>&amp;Specify later</source>
        <translation>&amp;Spécifier ultérieurement</translation>
    </message>
    <message>
        <source>Specify &amp;later</source>
        <translation>Spécifier u&amp;ltérieurement</translation>
    </message>
    <message>
        <source>&amp;Factor:</source>
        <translation>&amp;Facteur :</translation>
    </message>
    <message>
        <source>Rotation</source>
        <translation>Rotation</translation>
    </message>
    <message>
        <source>Sp&amp;ecify later</source>
        <translation>Spécifier ulté&amp;rieurement</translation>
    </message>
    <message>
        <source>&amp;Angle:</source>
        <translation>&amp;Angle :</translation>
    </message>
    <message>
        <source>DGN file units</source>
        <translation>Unités du fichier DGN</translation>
    </message>
    <message>
        <source>Convert drawing to</source>
        <translation>Convertir le dessin en</translation>
    </message>
    <message>
        <source>&amp;Master units</source>
        <translation>&amp;Unités principales</translation>
    </message>
    <message>
        <source>Uni&amp;ts:</source>
        <translation>U&amp;nités :</translation>
    </message>
    <message>
        <source>S&amp;ub units</source>
        <translation>Unités s&amp;econdaires</translation>
    </message>
    <message>
        <source>Factor:</source>
        <translation>Facteur :</translation>
    </message>
    <message>
        <source>DGN files</source>
        <translation>Fichiers DGN</translation>
    </message>
    <message>
        <source>Source Path:</source>
        <translation>Chemin source :</translation>
    </message>
    <message>
        <source>Destination Path:</source>
        <translation>Chemin de destination :</translation>
    </message>
    <message>
        <source>Brow&amp;se...</source>
        <translation>Parc&amp;ourir...</translation>
    </message>
    <message>
        <source>Select &amp;all</source>
        <translation>Tout &amp;sélectionner</translation>
    </message>
    <message>
        <source>&amp;Use global settings</source>
        <translation>Paramètres &amp;globaux</translation>
    </message>
    <message>
        <source>Source path &quot;%1&quot; does not exist.</source>
        <translation>Le chemin source « %1 » n&apos;existe pas.</translation>
    </message>
    <message>
        <source>Destination path &quot;%1&quot; does not exist.</source>
        <translation>Le chemin de destination « %1 » n&apos;existe pas.</translation>
    </message>
    <message>
        <source>Batch processing finished. 
(Report generated at destination path.)</source>
        <translation>Traitement par lots terminé. 
(Le rapport a été créé dans le chemin de destination.)</translation>
    </message>
    <message>
        <source>Cancel batch processing?</source>
        <translation>Annuler le traitement par lots ?</translation>
    </message>
    <message>
        <source>Do you want to cancel Batch Processing?</source>
        <translation>Voulez-vous annuler le traitement par lots ?</translation>
    </message>
    <message>
        <source>Aborting batch process</source>
        <translation>Annulation du traitement par lots</translation>
    </message>
</context>
<context>
    <name>CDgnImportOptionsDlg</name>
    <message>
        <source>Options</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>&amp;Explode text node to text elements</source>
        <translation>&amp;Décomposer les nœuds de texte en éléments texte</translation>
    </message>
</context>
<context>
    <name>CFxDlgDGNAttach</name>
    <message>
        <source>%1
contains no Design Model.</source>
        <translation>%1
ne contient aucun modèle de conception.</translation>
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
        <translation>Le fichier « %1 » ne peut pas être chargé. 
 Causes possibles : 
 - Les données du fichier sont endommagées 
 - Le fichier a un format antérieur qui n&apos;est pas pris en charge 
 - Le format du fichier n&apos;est pas pris en charge</translation>
    </message>
    <message>
        <source>Invalid file</source>
        <translation>Fichier non valide</translation>
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
        <translation>Importation DGN...</translation>
    </message>
    <message>
        <source>Insert DGN file as block: IMPORTDGN</source>
        <translation>Insérer un fichier DGN comme bloc : IMPORTDGN</translation>
    </message>
    <message>
        <source>DGN Import</source>
        <translation>Importation DGN</translation>
    </message>
    <message>
        <source>Block &quot;%1&quot; is already defined.</source>
        <translation>Le bloc « %1 » est déjà défini.</translation>
    </message>
    <message>
        <source>Using existing definition.
</source>
        <translation>La définition existante est utilisée.
</translation>
    </message>
    <message>
        <source>Failed to import the DGN design model.</source>
        <translation>L&apos;importation du modèle de conception DGN a échoué.</translation>
    </message>
    <message>
        <source>Not enough memory to convert %1.</source>
        <translation>Mémoire insuffisante pour convertir %1.</translation>
    </message>
    <message>
        <source>
</source>
        <translation>
</translation>
    </message>
    <message>
        <source>DGN File imported as block</source>
        <translation>Fichier DGN importé comme bloc</translation>
    </message>
</context>
<context>
    <name>DGNImport</name>
    <message>
        <source>Specify folder</source>
        <translation>Spécifier le dossier</translation>
    </message>
</context>
<context>
    <name>DgnBatch</name>
    <message>
        <source>DGN Import Report:</source>
        <translation>Rapport d&apos;importation DGN :</translation>
    </message>
    <message>
        <source>Created on %1</source>
        <translation>Créé le %1</translation>
    </message>
    <message>
        <source>Unknown Error.</source>
        <translation>Erreur inconnue.</translation>
    </message>
    <message>
        <source>Invalid password.</source>
        <translation>Mot de passe non valide.</translation>
    </message>
    <message>
        <source>Cannot open file.</source>
        <translation>Impossible d&apos;ouvrir le fichier.</translation>
    </message>
    <message>
        <source>Invalid file.</source>
        <translation>Fichier non valide.</translation>
    </message>
    <message>
        <source>Failed DGN filename: </source>
        <translation>Fichier DGN en échec : </translation>
    </message>
    <message>
        <source>Error type: </source>
        <translation>Type d&apos;erreur : </translation>
    </message>
    <message>
        <source>Failed DGN filename:</source>
        <translation>Fichier DGN en échec :</translation>
    </message>
    <message>
        <source>Model name:</source>
        <translation>Nom du modèle :</translation>
    </message>
    <message>
        <source>Error type:</source>
        <translation>Type d&apos;erreur :</translation>
    </message>
    <message>
        <source>Total number of converted files: %1</source>
        <translation>Nombre total de fichiers convertis : %1</translation>
    </message>
    <message>
        <source>Total number of converted Design Model: %1</source>
        <translation>Nombre total de modèles de conception convertis : %1</translation>
    </message>
    <message>
        <source>Total number of failed files: %1</source>
        <translation>Nombre total de fichiers en échec : %1</translation>
    </message>
    <message>
        <source>No model exist.</source>
        <translation>Aucun modèle n&apos;existe.</translation>
    </message>
    <message>
        <source>DGN file does not exist.</source>
        <translation>Le fichier DGN n&apos;existe pas.</translation>
    </message>
</context>
</TS>

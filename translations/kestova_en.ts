<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>Recent</name>
    <message numerus="yes">
        <source>%1 photos</source>
        <comment>on a wall</comment>
        <translation>
            <numerusform>%1 photo</numerusform>
            <numerusform>%1 photos</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 videos</source>
        <comment>on a wall</comment>
        <translation>
            <numerusform>%1 video</numerusform>
            <numerusform>%1 videos</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Unfinished: %1 photos still to do</source>
        <comment>a wall that a stop left unfinished</comment>
        <translation>
            <numerusform>Unfinished: %1 photo still to do</numerusform>
            <numerusform>Unfinished: %1 photos still to do</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ResultText</name>
    <message numerus="yes">
        <source>Stopped early: %1 photos so far</source>
        <translation>
            <numerusform>Stopped early: %1 photo so far</numerusform>
            <numerusform>Stopped early: %1 photos so far</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 photos ready</source>
        <translation>
            <numerusform>%1 photo ready</numerusform>
            <numerusform>%1 photos ready</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 duplicate copies shown once</source>
        <translation>
            <numerusform>%1 duplicate copy shown once</numerusform>
            <numerusform>%1 duplicate copies shown once</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 have no date and are grouped at the end</source>
        <comment>photos, videos or both</comment>
        <translation>
            <numerusform>%1 has no date and is grouped at the end</numerusform>
            <numerusform>%1 have no date and are grouped at the end</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 photos have no date and are grouped at the end</source>
        <translation>
            <numerusform>%1 photo has no date and is grouped at the end</numerusform>
            <numerusform>%1 photos have no date and are grouped at the end</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 files couldn&apos;t be read and were skipped</source>
        <translation>
            <numerusform>%1 file couldn&apos;t be read and was skipped</numerusform>
            <numerusform>%1 files couldn&apos;t be read and were skipped</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The folders %1 couldn&apos;t be opened; their photos from earlier runs stay on the wall</source>
        <translation>
            <numerusform>The folder %1 couldn&apos;t be opened; its photos from earlier runs stay on the wall</numerusform>
            <numerusform>The folders %1 couldn&apos;t be opened; their photos from earlier runs stay on the wall</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Passed over because the decoder crashed on them before: %1. Kestova tries again when it or its image libraries are updated</source>
        <translation>
            <numerusform>Passed over because the decoder crashed on it before: %1. Kestova tries again when it or its image libraries are updated</numerusform>
            <numerusform>Passed over because the decoder crashed on them before: %1. Kestova tries again when it or its image libraries are updated</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 photos changed while being read and are left for the next update</source>
        <translation>
            <numerusform>%1 photo changed while being read and is left for the next update</numerusform>
            <numerusform>%1 photos changed while being read and are left for the next update</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 folders or photos nested deeper than the system allows were left out</source>
        <translation>
            <numerusform>%1 folder or photo nested deeper than the system allows was left out</numerusform>
            <numerusform>%1 folders or photos nested deeper than the system allows were left out</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 held %2 photos last time, but Kestova can&apos;t find any there now. Is the drive connected? The wall was left as it was.</source>
        <translation>
            <numerusform>%1 held %2 photo last time, but Kestova can&apos;t find any there now. Is the drive connected? The wall was left as it was.</numerusform>
            <numerusform>%1 held %2 photos last time, but Kestova can&apos;t find any there now. Is the drive connected? The wall was left as it was.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 videos</source>
        <translation>
            <numerusform>%1 video</numerusform>
            <numerusform>%1 videos</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 photos and %2</source>
        <comment>the photos, then the videos</comment>
        <translation>
            <numerusform>%1 photo and %2</numerusform>
            <numerusform>%1 photos and %2</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 photos are still to do. The work so far is saved: choose Update to finish the wall.</source>
        <translation>
            <numerusform>%1 photo is still to do. The work so far is saved: choose Update to finish the wall.</numerusform>
            <numerusform>%1 photos are still to do. The work so far is saved: choose Update to finish the wall.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 photos are still to do. The work so far is saved: run the same build again to finish the wall.</source>
        <translation>
            <numerusform>%1 photo is still to do. The work so far is saved: run the same build again to finish the wall.</numerusform>
            <numerusform>%1 photos are still to do. The work so far is saved: run the same build again to finish the wall.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 raw and JPEG pairs shown once</source>
        <translation>
            <numerusform>%1 raw and JPEG pair shown once</numerusform>
            <numerusform>%1 raw and JPEG pairs shown once</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Left for the next update because they took too long to read: %1</source>
        <translation>
            <numerusform>Left for the next update because it took too long to read: %1</numerusform>
            <numerusform>Left for the next update because they took too long to read: %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 videos made playable in the browser</source>
        <translation>
            <numerusform>%1 video made playable in the browser</numerusform>
            <numerusform>%1 videos made playable in the browser</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 videos couldn&apos;t be made playable; they play where the browser plays the original</source>
        <translation>
            <numerusform>%1 video couldn&apos;t be made playable; it plays where the browser plays the original</numerusform>
            <numerusform>%1 videos couldn&apos;t be made playable; they play where the browser plays the original</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 videos are still to be made playable; the next build makes them</source>
        <translation>
            <numerusform>%1 video is still to be made playable; the next build makes it</numerusform>
            <numerusform>%1 videos are still to be made playable; the next build makes them</numerusform>
        </translation>
    </message>
</context>
</TS>

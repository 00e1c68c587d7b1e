<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>Recent</name>
    <message numerus="yes">
        <source>%1 photos · updated %2</source>
        <comment>photos on the wall, when it was updated</comment>
        <translation>
            <numerusform>%1 photo · updated %2</numerusform>
            <numerusform>%1 photos · updated %2</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ResultText</name>
    <message numerus="yes">
        <source>Stopped early: %1 photos so far</source>
        <translation>
            <numerusform>Stopped early: %1 photos so far</numerusform>
            <numerusform>Stopped early: %1 photos so far</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 photos ready</source>
        <translation>
            <numerusform>%1 photos ready</numerusform>
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
</context>
</TS>

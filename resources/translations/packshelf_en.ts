<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>AppStrings</name>
    <message>
        <source>NO_PATHS_SET</source>
        <translation>No folder has been chosen to install from this archive.</translation>
    </message>
    <message>
        <source>(not chosen)</source>
        <translation>(not chosen)</translation>
    </message>
</context>
</TS>

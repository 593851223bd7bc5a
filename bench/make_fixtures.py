#!/usr/bin/env python3
"""Writes the benchmark fixtures into a folder (on a Wine drive):

  restore.mdb     a settings backup file: 5,000 settings over 50 sections
  restore.reg     the same settings as a registry file for regedit /s
  empty.reg       a registry file with nothing to import
  profile.reg     the product profile the program reads at start-up
  none/DBS/       an empty backup folder
  dbs5000/DBS/    5,000 small backup files named 환경설정_YYYYMMDD_HHMM.mdb

usage: make_fixtures.py FOLDER WINDOWS_FOLDER APP MAKE_BACKUP
(MAKE_BACKUP: the native make_backup tool of the test build)"""
import datetime
import os
import subprocess
import sys

SECTIONS = 50
PER_SECTION = 100
DBS_FILES = 5000


def reg_text(lines):
    """A registry file as regedit reads it: UTF-16LE with BOM, CR LF."""
    return b"\xff\xfe" + "\r\n".join(lines + [""]).encode("utf-16-le")


def reg_string(s):
    return '"' + s.replace("\\", "\\\\").replace('"', '\\"') + '"'


def main():
    folder, windows_folder, app, make_backup = sys.argv[1:5]
    os.makedirs(folder, exist_ok=True)

    # Korean and ASCII in names and values, as real settings have.
    sections = [("섹션%02d" % s, [("설정%04d" % (s * PER_SECTION + k), "값 %04d 매장 abc-%02d" % (k, s))
                                 for k in range(PER_SECTION)]) for s in range(SECTIONS)]

    records = ["DoumteoBench restore benchmark", "&\t" + app]
    reg = ["Windows Registry Editor Version 5.00", ""]
    for name, settings in sections:
        records.append("#\t" + name)
        reg.append("[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\%s\\%s]" % (app, name))
        for key, value in settings:
            records.append(key + "\t" + value)
            reg.append("%s=%s" % (reg_string(key), reg_string(value)))
        reg.append("")
    subprocess.run([make_backup, os.path.join(folder, "restore.mdb")], input="\n".join(records).encode(), check=True)
    with open(os.path.join(folder, "restore.reg"), "wb") as f:
        f.write(reg_text(reg))
    with open(os.path.join(folder, "empty.reg"), "wb") as f:
        f.write(reg_text(["Windows Registry Editor Version 5.00", ""]))

    # A small but valid backup file, copied under every name.
    small = os.path.join(folder, "small.mdb")
    subprocess.run([make_backup, small], input="bench\n&\tVeltoSales\n#\tDB\nPath\tC:\\DB\\\n".encode(), check=True)
    with open(small, "rb") as f:
        small_bytes = f.read()
    os.makedirs(os.path.join(folder, "none", "DBS"), exist_ok=True)
    dbs = os.path.join(folder, "dbs5000", "DBS")
    os.makedirs(dbs, exist_ok=True)
    if len(os.listdir(dbs)) != DBS_FILES:
        for name in os.listdir(dbs):
            os.remove(os.path.join(dbs, name))
        t = datetime.datetime(2015, 1, 1, 0, 0)
        for _ in range(DBS_FILES):
            with open(os.path.join(dbs, t.strftime("환경설정_%Y%m%d_%H%M.mdb")), "wb") as f:
                f.write(small_bytes)
            t += datetime.timedelta(hours=7, minutes=13)

    profile = r'''Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\VB and VBA Program Settings\Setupkeeper\ASKey]
"SetupFile"="http://www.velto.example/download/VeltoSalesSetup.exe"
"Exefile"="VeltoSales"
"DBPath"="DB;Path"
"Program"="벨토 판매관리 (견본)"
"RegiProgram"="VeltoSales"
"DBTable"="Items"
"DBFold"="DBS"
"DBName"="dbMain.mdb"

[HKEY_CURRENT_USER\Software\VB and VBA Program Settings\BackUp\DB경로]
"경로"="WINFOLDER\\DB\\"
'''.replace("WINFOLDER", windows_folder.replace("\\", "\\\\"))
    with open(os.path.join(folder, "profile.reg"), "wb") as f:
        f.write(reg_text(profile.split("\n")))


if __name__ == "__main__":
    main()

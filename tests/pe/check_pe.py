#!/usr/bin/env python3
"""Checks a doumteo.exe for loading on Windows 7 SP1 and later.

Usage: check_pe.py OBJDUMP EXE ALLOWED_LIST

Fails, naming each fault, on an imported DLL that Windows 7 lacks, an import
not on the list or newer than 6.1, and on a header that is not that of a
program for today's Windows: OS and subsystem version 6.1, terminal-server
aware, DEP and ASLR, and on 64-bit high-entropy ASLR.
"""
import re
import subprocess
import sys

WINDOWS_7 = (6, 1)
# DLLs that are not part of Windows 7: the API sets and the universal CRT came
# with Windows 8 and 10; a compiler's runtime is not part of Windows at all.
FOREIGN_DLL = re.compile(
    r"^(api-ms-win-.*|ext-ms-win-.*|shcore\.dll|ucrtbase.*\.dll|vcruntime.*\.dll|msvcp.*\.dll"
    r"|libgcc_s.*\.dll|libstdc\+\+.*\.dll|libwinpthread.*\.dll|libc\+\+.*\.dll|libunwind.*\.dll)$",
    re.IGNORECASE)


def version(text):
    return tuple(int(p) for p in text.split("."))


def read_allowed(path):
    allowed = {}
    for number, line in enumerate(open(path, encoding="utf-8"), 1):
        line = line.split("#", 1)[0].strip()
        if not line:
            continue
        fields = line.split()
        if len(fields) != 3 or not re.fullmatch(r"\d+(\.\d+)*", fields[2]):
            sys.exit(f"{path}:{number}: expected 'dll function version'")
        allowed[(fields[0].lower(), fields[1])] = fields[2]
    return allowed


def read_pe(objdump, exe):
    text = subprocess.run([objdump, "-p", exe], check=True, capture_output=True, text=True).stdout
    header = dict(re.findall(r"^(\w+)\s+([0-9a-fA-F]+)\b", text, re.MULTILINE))
    flags = set(re.findall(r"^\t+([A-Z_]+)$", text[text.find("DllCharacteristics"):], re.MULTILINE))
    imports, dll = [], None
    for line in text.splitlines():
        m = re.match(r"\tDLL Name: (\S+)", line)
        if m:
            dll = m.group(1)
            imports.append((dll, None))
            continue
        if not line.strip():
            dll = None
        elif dll:
            m = re.match(r"\t([0-9a-f]+)\s+(\d+)\s+(\S+)$", line)
            if m:
                imports.append((dll, m.group(3)))
            elif re.match(r"\t[0-9a-f]+\s+<none>\s+([0-9a-f]+)$", line):
                imports.append((dll, "#" + line.split()[-1]))
    return header, flags, imports, "pe32+" in text.lower()


def main():
    objdump, exe, listed = sys.argv[1:4]
    allowed = read_allowed(listed)
    header, flags, imports, is64 = read_pe(objdump, exe)
    faults = []
    for dll, function in imports:
        if function is None:
            if FOREIGN_DLL.match(dll):
                faults.append(f"{dll}: not a DLL of Windows 7")
            elif not any(d == dll.lower() for d, _ in allowed):
                faults.append(f"{dll}: a DLL not on the list")
            continue
        known = allowed.get((dll.lower(), function))
        if known is None:
            faults.append(f"{dll} {function}: not on the list")
        elif version(known) > WINDOWS_7:
            faults.append(f"{dll} {function}: needs Windows {known}, newer than Windows 7 SP1 (6.1);"
                          " resolve it at run time")
    for field in ("MajorOSystemVersion", "MajorSubsystemVersion"):
        minor = field.replace("Major", "Minor")
        got = (int(header.get(field, "0"), 16), int(header.get(minor, "0"), 16))
        if got != WINDOWS_7:
            faults.append(f"header: {field[5:]} {got[0]}.{got[1]}, not 6.1")
    wanted = {"TERMINAL_SERVICE_AWARE", "NX_COMPAT", "DYNAMIC_BASE"} | ({"HIGH_ENTROPY_VA"} if is64 else set())
    for flag in sorted(wanted - flags):
        faults.append(f"header: {flag} is not set")
    for fault in faults:
        print(f"{exe}: {fault}")
    functions = sum(1 for _, f in imports if f)
    print(f"{exe}: {functions} imports from {len(imports) - functions} DLLs, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())

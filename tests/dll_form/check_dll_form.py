#!/usr/bin/python3
"""Checks the form of a built vantrel.dll, read from the file itself:

    check_dll_form.py DLL DEF_FILE

- exports: exactly the names and ordinals of DEF_FILE (each entry there must
  carry an ordinal), by name and by ordinal at one address, nothing else;
- imports: only KERNEL32.dll, msvcrt.dll and CH341DLL.DLL, and from CH341DLL.DLL
  exactly the four bridge calls, by name;
- DllCharacteristics: no NO_SEH (the system would then call no exception handler
  of this image, and every fault would end the host), DYNAMIC_BASE with base
  relocations, NX_COMPAT; no safe-exception-handler table that leaves out the
  guard frames' handler;
- the version resource: ProductName " v" ProductVersion is the driver name that
  DISPLAYDLL_DriverName returns, and OriginalFilename is the exported DLL name.

Runs with Debian's python3-pefile (hence /usr/bin/python3, whatever python3 the
PATH finds first). Prints every failure; exit status 1 if there was one.
"""
import os
import re
import shutil
import subprocess
import sys

import pefile

ALLOWED_DLLS = {"KERNEL32.dll", "msvcrt.dll", "CH341DLL.DLL"}
BRIDGE_DLL = "CH341DLL.DLL"
BRIDGE_CALLS = {"CH341OpenDevice", "CH341CloseDevice", "CH341MemWriteAddr0", "CH341MemWriteAddr1"}
HANDLER_SYMBOL = "_OnException"  # the guard frames' exception handler

NO_SEH = pefile.DLL_CHARACTERISTICS["IMAGE_DLLCHARACTERISTICS_NO_SEH"]
DYNAMIC_BASE = pefile.DLL_CHARACTERISTICS["IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE"]
NX_COMPAT = pefile.DLL_CHARACTERISTICS["IMAGE_DLLCHARACTERISTICS_NX_COMPAT"]

failures = []


def fail(message):
    failures.append(message)


def def_exports(path):
    """{name: ordinal or None} of a module-definition file's EXPORTS section."""
    exports = {}
    in_exports = False
    with open(path, encoding="ascii") as f:
        for line in f:
            line = line.split(";", 1)[0].strip()
            if not line:
                continue
            tokens = line.split()
            if tokens[0] in ("LIBRARY", "NAME", "EXPORTS", "IMPORTS", "SECTIONS", "HEAPSIZE", "STACKSIZE"):
                in_exports = tokens[0] == "EXPORTS"
                continue
            if not in_exports:
                continue
            ordinals = [t[1:] for t in tokens[1:] if re.fullmatch(r"@\d+", t)]
            exports[tokens[0]] = int(ordinals[0]) if ordinals else None
    return exports


def check_exports(pe, expected):
    for name, ordinal in expected.items():
        if ordinal is None:
            fail(f"exports: the .def gives {name} no ordinal")
    if not hasattr(pe, "DIRECTORY_ENTRY_EXPORT"):
        fail("exports: no export directory")
        return None
    directory = pe.DIRECTORY_ENTRY_EXPORT
    exported = {}
    for symbol in directory.symbols:
        if symbol.name is None:
            fail(f"exports: ordinal {symbol.ordinal} has no name")
            continue
        name = symbol.name.decode("ascii", "replace")
        if symbol.forwarder is not None:
            fail(f"exports: {name} is forwarded to {symbol.forwarder.decode('ascii', 'replace')}")
        exported[name] = symbol.ordinal
    for name in sorted(set(expected) - set(exported)):
        fail(f"exports: {name} is missing")
    for name in sorted(set(exported) - set(expected)):
        fail(f"exports: {name} (ordinal {exported[name]}) is not in the .def")
    for name in sorted(set(expected) & set(exported)):
        if expected[name] is not None and exported[name] != expected[name]:
            fail(f"exports: {name} has ordinal {exported[name]}, the .def says {expected[name]}")

    # By name and by ordinal at one address: the name table's ordinal picks the
    # same slot of the address table that the ordinal itself picks, and no slot
    # holds an address without a name.
    struct = directory.struct
    functions = [pe.get_dword_at_rva(struct.AddressOfFunctions + 4 * i) for i in range(struct.NumberOfFunctions)]
    named_slots = set()
    for i in range(struct.NumberOfNames):
        name_rva = pe.get_dword_at_rva(struct.AddressOfNames + 4 * i)
        name = pe.get_string_at_rva(name_rva).decode("ascii", "replace")
        slot = pe.get_word_at_rva(struct.AddressOfNameOrdinals + 2 * i)
        named_slots.add(slot)
        ordinal = struct.Base + slot
        if name in expected and expected[name] is not None:
            by_ordinal = functions[expected[name] - struct.Base] if 0 <= expected[name] - struct.Base < len(functions) else None
            if by_ordinal != functions[slot]:
                fail(f"exports: {name} by name (ordinal {ordinal}) and by ordinal {expected[name]} differ")
    for slot, address in enumerate(functions):
        if address != 0 and slot not in named_slots:
            fail(f"exports: ordinal {struct.Base + slot} is exported without a name")
    return pe.get_string_at_rva(struct.Name).decode("ascii", "replace")


def check_imports(pe):
    if getattr(pe, "DIRECTORY_ENTRY_DELAY_IMPORT", None):
        fail("imports: delay-load imports present")
    found = {}
    for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
        dll = entry.dll.decode("ascii", "replace")
        found[dll] = entry.imports
        if dll not in ALLOWED_DLLS:
            names = ", ".join(sorted(i.name.decode() if i.name else f"#{i.ordinal}" for i in entry.imports))
            fail(f"imports: {dll} is not allowed ({names})")
    if BRIDGE_DLL not in found:
        fail(f"imports: nothing from {BRIDGE_DLL}")
        return
    bridge = set()
    for item in found[BRIDGE_DLL]:
        if item.name is None:
            fail(f"imports: {BRIDGE_DLL} ordinal {item.ordinal} imported by ordinal")
        else:
            bridge.add(item.name.decode("ascii", "replace"))
    if bridge != BRIDGE_CALLS:
        fail(f"imports: from {BRIDGE_DLL} {sorted(bridge)}, expected {sorted(BRIDGE_CALLS)}")


def handler_rva(pe, path):
    """RVA of the guard frames' handler, from the image's symbols (nm)."""
    nm = shutil.which("i686-w64-mingw32-nm")
    if nm is None:
        return None
    listing = subprocess.run([nm, path], capture_output=True, text=True).stdout
    for line in listing.splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[2] == HANDLER_SYMBOL:
            return int(parts[0], 16) - pe.OPTIONAL_HEADER.ImageBase
    return None


def check_characteristics(pe, path):
    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    if flags & NO_SEH:
        fail(f"DllCharacteristics 0x{flags:04X}: NO_SEH set, no exception handler of the DLL would run")
    if not flags & DYNAMIC_BASE:
        fail(f"DllCharacteristics 0x{flags:04X}: DYNAMIC_BASE missing")
    if not flags & NX_COMPAT:
        fail(f"DllCharacteristics 0x{flags:04X}: NX_COMPAT missing")
    relocations = pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_BASERELOC"]]
    if flags & DYNAMIC_BASE and relocations.Size == 0:
        fail("DYNAMIC_BASE without base relocations: the DLL cannot be moved")

    config = getattr(pe, "DIRECTORY_ENTRY_LOAD_CONFIG", None)
    table = getattr(config.struct, "SEHandlerTable", 0) if config else 0
    count = getattr(config.struct, "SEHandlerCount", 0) if config else 0
    if not table:
        return  # no safe-handler table: every handler of the image may be called
    handlers = {pe.get_dword_at_rva(table - pe.OPTIONAL_HEADER.ImageBase + 4 * i) for i in range(count)}
    rva = handler_rva(pe, path)
    if rva is None:
        fail(f"safe-handler table of {count} entries, and {HANDLER_SYMBOL} cannot be found to look it up")
    elif rva not in handlers:
        fail(f"safe-handler table of {count} entries leaves out {HANDLER_SYMBOL} (RVA 0x{rva:X})")


def driver_name(pe):
    """The text DISPLAYDLL_DriverName returns: its code loads the text's address
    into EAX (mov eax, imm32) and returns."""
    directory = getattr(pe, "DIRECTORY_ENTRY_EXPORT", None)
    for symbol in directory.symbols if directory else []:
        if symbol.name == b"DISPLAYDLL_DriverName":
            code = pe.get_data(symbol.address, 32)
            position = code.find(b"\xB8")
            if position < 0 or b"\xC3" not in code[position + 5:]:
                return None
            address = int.from_bytes(code[position + 1:position + 5], "little")
            return pe.get_string_at_rva(address - pe.OPTIONAL_HEADER.ImageBase).decode("cp1252")
    return None


def check_version(pe, dll_name):
    strings = {}
    for info in getattr(pe, "FileInfo", []):
        for entry in info:
            if getattr(entry, "Key", b"") == b"StringFileInfo":
                for table in entry.StringTable:
                    strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    if not strings:
        fail("version resource: no string table")
        return
    name = driver_name(pe)
    resource_name = f"{strings.get('ProductName')} v{strings.get('ProductVersion')}"
    if name is None:
        fail("version resource: the driver name cannot be read from DISPLAYDLL_DriverName")
    elif name != resource_name:
        fail(f"version resource: '{resource_name}' does not agree with the driver name '{name}'")
    if dll_name is not None and strings.get("OriginalFilename") != dll_name:
        fail(f"version resource: OriginalFilename '{strings.get('OriginalFilename')}', the DLL is '{dll_name}'")


def main():
    if len(sys.argv) != 3:
        print(__doc__.split("\n\n")[1], file=sys.stderr)
        return 2
    path, def_path = sys.argv[1], sys.argv[2]
    pe = pefile.PE(path)
    dll_name = check_exports(pe, def_exports(def_path))
    check_imports(pe)
    check_characteristics(pe, path)
    check_version(pe, dll_name)
    label = path
    for message in failures:
        print(f"dll-form: FAIL: {label}: {message}")
    if failures:
        print(f"dll-form: {len(failures)} check(s) FAILED for {label}")
        return 1
    print(f"dll-form: OK: {label}")
    return 0


if __name__ == "__main__":
    sys.exit(main())

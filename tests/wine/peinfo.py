#!/usr/bin/env python3
"""Reads a PE file the way the checks need it, without Windows.

  peinfo.py FILE header              machine subsystem (e.g. "i386 gui")
  peinfo.py FILE versions            the Windows it asks for: "os 4.0 subsystem 4.0"
  peinfo.py FILE imports             one DLL!function per line (ordinals as DLL!#N)
  peinfo.py FILE resources           TYPE/NAME/LANG SIZE per line
  peinfo.py FILE resource TYPE NAME  the bytes of that resource (first language) to stdout
"""
import struct
import sys


class Pe:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise SystemExit("not a PE file")
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        self.pe32plus = magic == 0x20B
        self.subsystem = struct.unpack_from("<H", data, optional + 68)[0]
        self.os_version = struct.unpack_from("<HH", data, optional + 40)
        self.subsystem_version = struct.unpack_from("<HH", data, optional + 48)
        directories = optional + (112 if self.pe32plus else 96)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(16)]
        table = optional + optional_size
        self.sections = []
        for i in range(sections):
            _, vsize, vaddr, rsize, raddr = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((vaddr, max(vsize, rsize), raddr))

    def offset(self, rva):
        for vaddr, size, raddr in self.sections:
            if vaddr <= rva < vaddr + size:
                return rva - vaddr + raddr
        raise ValueError("rva %x outside sections" % rva)

    def cstring(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("latin-1")

    def imports(self):
        rva, _ = self.directories[1]
        result = []
        while rva:
            lookup, _, _, name, first = struct.unpack_from("<IIIII", self.data, self.offset(rva))
            if name == 0:
                break
            dll = self.cstring(name).lower()
            thunk = lookup or first
            width, flag = (8, 1 << 63) if self.pe32plus else (4, 1 << 31)
            while True:
                entry = struct.unpack_from("<Q" if self.pe32plus else "<I", self.data, self.offset(thunk))[0]
                if entry == 0:
                    break
                if entry & flag:
                    result.append("%s!#%d" % (dll, entry & 0xFFFF))
                else:
                    result.append("%s!%s" % (dll, self.cstring((entry & 0x7FFFFFFF) + 2)))
                thunk += width
            rva += 20
        return result

    def _name(self, base, value):
        if value & 0x80000000:
            at = self.offset(base + (value & 0x7FFFFFFF))
            length = struct.unpack_from("<H", self.data, at)[0]
            return self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
        return str(value)

    def resources(self):
        base, _ = self.directories[2]
        found = []

        def walk(rva, path):
            at = self.offset(rva)
            named, ids = struct.unpack_from("<HH", self.data, at + 12)
            for i in range(named + ids):
                name, target = struct.unpack_from("<II", self.data, at + 16 + 8 * i)
                key = path + [self._name(base, name)]
                if target & 0x80000000:
                    walk(base + (target & 0x7FFFFFFF), key)
                else:
                    data_rva, size = struct.unpack_from("<II", self.data, self.offset(base + target))
                    found.append(("/".join(key), self.data[self.offset(data_rva):self.offset(data_rva) + size]))

        if base:
            walk(base, [])
        return found


def main():
    pe = Pe(open(sys.argv[1], "rb").read())
    command = sys.argv[2]
    if command == "header":
        machine = {0x14C: "i386", 0x8664: "x86_64"}.get(pe.machine, hex(pe.machine))
        subsystem = {2: "gui", 3: "console"}.get(pe.subsystem, str(pe.subsystem))
        print(machine, subsystem)
    elif command == "versions":
        print("os %d.%d subsystem %d.%d" % (pe.os_version + pe.subsystem_version))
    elif command == "imports":
        print("\n".join(pe.imports()))
    elif command == "resources-offset":
        print(pe.offset(pe.directories[2][0]))
    elif command == "resources":
        for key, data in pe.resources():
            print(key, len(data))
    elif command == "resource":
        prefix = "%s/%s/" % (sys.argv[3], sys.argv[4])
        for key, data in pe.resources():
            if key.startswith(prefix):
                sys.stdout.buffer.write(data)
                return
        raise SystemExit("no resource %s" % prefix)


if __name__ == "__main__":
    main()

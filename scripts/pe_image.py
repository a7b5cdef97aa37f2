#!/usr/bin/env python3
"""Reads what the checks of our Windows programs need from a PE file: the
headers, the import table, the delay-load import table and the exported
names. Standard library only."""
import struct


class PeImage:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        if self.data[:2] != b"MZ":
            raise ValueError(f"{path}: not a PE file")
        pe = struct.unpack_from("<I", self.data, 0x3C)[0]
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise ValueError(f"{path}: not a PE file")
        (self.machine, sections, _, _, _, optional_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", self.data, pe + 4)
        optional = pe + 24
        self.magic = struct.unpack_from("<H", self.data, optional)[0]
        self.is_64 = self.magic == 0x20B
        self.image_base = (struct.unpack_from("<Q", self.data, optional + 24)[0] if self.is_64
                           else struct.unpack_from("<I", self.data, optional + 28)[0])
        (self.os_version, self.image_version, self.subsystem_version) = (
            struct.unpack_from("<HH", self.data, optional + 40),
            struct.unpack_from("<HH", self.data, optional + 44),
            struct.unpack_from("<HH", self.data, optional + 48))
        self.subsystem, self.dll_characteristics = struct.unpack_from("<HH", self.data, optional + 68)
        directories = optional + (112 if self.is_64 else 96)
        count = struct.unpack_from("<I", self.data, directories - 4)[0]
        self.directories = [struct.unpack_from("<II", self.data, directories + 8 * i) for i in range(count)]
        table = optional + optional_size
        self.sections = []
        for i in range(sections):
            name, virtual_size, address, raw_size, raw_offset = struct.unpack_from(
                "<8sIIII", self.data, table + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode(), address, max(virtual_size, raw_size), raw_offset))

    def offset(self, rva):
        for _, address, size, raw in self.sections:
            if address <= rva < address + size:
                return raw + rva - address
        raise ValueError(f"address {rva:#x} lies in no section")

    def text(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def thunk_names(self, rva):
        """The names (or "#ordinal") a thunk array lists."""
        size, ordinal_flag = (8, 1 << 63) if self.is_64 else (4, 1 << 31)
        names = []
        while True:
            value = struct.unpack_from("<Q" if self.is_64 else "<I", self.data, self.offset(rva))[0]
            if value == 0:
                return names
            names.append(f"#{value & 0xFFFF}" if value & ordinal_flag else self.text(value + 2))
            rva += size

    def imports(self):
        """{dll: [function, ...]} of the ordinary import table."""
        rva, size = self.directories[1]
        found = {}
        while size and True:
            lookup, _, _, name, first = struct.unpack_from("<IIIII", self.data, self.offset(rva))
            if name == 0:
                return found
            found[self.text(name)] = self.thunk_names(lookup or first)
            rva += 20
        return found

    def delay_imports(self):
        """{dll: [function, ...]} of the delay-load import table. GNU ld before
        2.42 leaves the table's directory entry empty: then the descriptors are
        found by their shape (attributes 1, then the addresses of a DLL's name,
        its module handle, its address and name tables, and three zeros)."""
        rva, size = self.directories[13] if len(self.directories) > 13 else (0, 0)
        descriptors = []
        while size:
            fields = struct.unpack_from("<8I", self.data, self.offset(rva))
            if fields[1] == 0:
                break
            descriptors.append(fields)
            rva += 32
        if not size:
            descriptors = [f for f in self._descriptor_candidates() if self._is_delay_descriptor(f)]
        found = {}
        for attributes, name, _, _, names, *_ in descriptors:
            base = 0 if attributes & 1 else self.image_base  # old-style tables hold addresses
            found[self.text(name - base)] = self.thunk_names(names - base)
        return found

    def _descriptor_candidates(self):
        for _, _, size, raw in self.sections:
            for at in range(raw, raw + size - 31, 4):
                if self.data[at] == 1 and self.data[at + 1:at + 4] == b"\0\0\0":
                    yield struct.unpack_from("<8I", self.data, at)

    def _is_delay_descriptor(self, fields):
        _, name, module, iat, names, bound, unload, stamp = fields
        if bound or unload or stamp or 0 in (name, module, iat, names):
            return False
        try:
            for rva in (module, iat, names):
                self.offset(rva)
            return self.text(name).lower().endswith(".dll") and bool(self.thunk_names(names))
        except (ValueError, UnicodeDecodeError, struct.error):
            return False

    def exports(self):
        """The exported names."""
        rva, size = self.directories[0]
        if not size:
            return []
        fields = struct.unpack_from("<IIHHIIIIIII", self.data, self.offset(rva))
        count, names = fields[7], fields[9]
        return [self.text(struct.unpack_from("<I", self.data, self.offset(names + 4 * i))[0])
                for i in range(count)]

    def resource(self, kind, name):
        """The bytes of resource `name` (a number) of type `kind` (a number),
        in its first language; None when there is none."""
        rva, size = self.directories[2]
        if not size:
            return None
        base = self.offset(rva)

        def entries(offset):
            named, numbered = struct.unpack_from("<HH", self.data, offset + 12)
            for i in range(named + numbered):
                ident, target = struct.unpack_from("<II", self.data, offset + 16 + 8 * i)
                yield ident, target

        def child(offset, wanted):
            for ident, target in entries(offset):
                if wanted is None or (not ident & 0x80000000 and ident == wanted):
                    return target
            return None

        level = base
        for wanted in (kind, name, None):
            target = child(level, wanted)
            if target is None:
                return None
            if target & 0x80000000:
                level = base + (target & 0x7FFFFFFF)
            else:
                data_rva, data_size = struct.unpack_from("<II", self.data, base + target)
                start = self.offset(data_rva)
                return self.data[start:start + data_size]
        return None

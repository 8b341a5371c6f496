"""Reads what the release tests look at in a Windows program: its headers,
its sections and its resources, including the version information."""
import struct

RT_VERSION = 16
DEBUG_SECTION_PREFIX = ".debug"


class Section:
    def __init__(self, name, address, raw_size, raw_offset):
        self.name = name
        self.address = address
        self.raw_size = raw_size
        self.raw_offset = raw_offset


class PeImage:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = self._u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE header")
        file_header = pe + 4
        self.machine = self._u16(file_header)
        section_count = self._u16(file_header + 2)
        self.symbol_table = self._u32(file_header + 8)
        symbol_count = self._u32(file_header + 12)
        optional_size = self._u16(file_header + 16)
        optional = file_header + 20
        self.magic = self._u16(optional)
        self.subsystem = self._u16(optional + 68)
        self.checksum = self._u32(optional + 64)
        directories = optional + (96 if self.magic == 0x10B else 112)
        self.resource_rva = self._u32(directories + 2 * 8)
        strings = self.symbol_table + 18 * symbol_count
        self.sections = []
        for i in range(section_count):
            entry = optional + optional_size + 40 * i
            name = data[entry:entry + 8].rstrip(b"\0").decode("ascii")
            if name.startswith("/") and self.symbol_table:
                # A long name, kept in the string table after the symbols.
                start = strings + int(name[1:])
                name = data[start:data.index(b"\0", start)].decode("ascii")
            address, raw_size, raw_offset = struct.unpack_from("<III", data, entry + 12)
            self.sections.append(Section(name, address, raw_size, raw_offset))

    def _u16(self, offset):
        return struct.unpack_from("<H", self.data, offset)[0]

    def _u32(self, offset):
        return struct.unpack_from("<I", self.data, offset)[0]

    def _file_offset(self, rva):
        for section in self.sections:
            if section.address <= rva < section.address + section.raw_size:
                return section.raw_offset + rva - section.address
        raise ValueError("address 0x%x is in no section" % rva)

    def _entries(self, root, directory):
        """(id or name, target offset, is a directory) of a resource directory."""
        named, numbered = struct.unpack_from("<HH", self.data, directory + 12)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", self.data, directory + 16 + 8 * i)
            if name & 0x80000000:
                start = root + (name & 0x7FFFFFFF)
                length = self._u16(start)
                name = self.data[start + 2:start + 2 + 2 * length].decode("utf-16-le")
            yield name, root + (target & 0x7FFFFFFF), bool(target & 0x80000000)

    def resources(self):
        """Every resource as ((type, id, language), data); a type or id is a
        number or a name."""
        root = self._file_offset(self.resource_rva)
        found = []
        for type_id, type_dir, _ in self._entries(root, root):
            for name, name_dir, _ in self._entries(root, type_dir):
                for language, leaf, _ in self._entries(root, name_dir):
                    rva, size = struct.unpack_from("<II", self.data, leaf)
                    start = self._file_offset(rva)
                    found.append(((type_id, name, language), self.data[start:start + size]))
        return found

    def resource(self, type_id, name):
        """The data of the one resource of that type and id, and its language."""
        matches = [(key[2], data) for key, data in self.resources()
                   if key[0] == type_id and key[1] == name]
        if len(matches) != 1:
            raise KeyError("%d resources %r %r" % (len(matches), type_id, name))
        return matches[0]


def read_image(path):
    with open(path, "rb") as f:
        return PeImage(f.read())


class VersionNode:
    """One block of a VS_VERSIONINFO resource: key, value and children."""

    def __init__(self, data, offset):
        self.length, value_length, value_type = struct.unpack_from("<HHH", data, offset)
        end_of_key = offset + 6
        while data[end_of_key:end_of_key + 2] != b"\0\0":
            end_of_key += 2
        self.key = data[offset + 6:end_of_key].decode("utf-16-le")
        value_start = _align(end_of_key + 2)
        # Text values count UTF-16 units (their terminator included), binary ones bytes.
        value_size = 2 * value_length if value_type == 1 else value_length
        self.value = data[value_start:value_start + value_size]
        if value_type == 1:
            self.value = self.value.decode("utf-16-le").rstrip("\0")
        self.children = []
        child = _align(value_start + value_size)
        while child < offset + self.length:
            node = VersionNode(data, child)
            self.children.append(node)
            child = _align(child + node.length)

    def child(self, key):
        matches = [node for node in self.children if node.key == key]
        if len(matches) != 1:
            raise KeyError("%d blocks %r under %r" % (len(matches), key, self.key))
        return matches[0]


def _align(offset):
    return (offset + 3) & ~3


def version_info(image):
    """The version information of a program: its language, its fixed part
    (VS_FIXEDFILEINFO as 13 numbers), its strings by string-table key, and
    its translations."""
    language, data = image.resource(RT_VERSION, 1)
    root = VersionNode(data, 0)
    fixed = struct.unpack("<13I", root.value)
    strings = {}
    for table in root.child("StringFileInfo").children:
        strings[table.key] = {node.key: node.value for node in table.children}
    translation = root.child("VarFileInfo").child("Translation").value
    translations = [struct.unpack_from("<HH", translation, i) for i in range(0, len(translation), 4)]
    return language, fixed, strings, translations

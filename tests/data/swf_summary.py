"""Prints a JSON summary of a SWF file as parsed by yaswfp: the header and, per tag, its name,
its length, whether it parsed to exactly that length, and its fields.

Two parser faults are patched first: its bit reader keeps stale bits across byte-level reads
(the new style arrays inside a shape), and its DefineBitsJPEG2 handler insists that the image
data starts with FF D8, while SWF files traditionally start it with the marker pair FF D9 FF D8.
"""
import json
import sys

from yaswfp import helpers, swfparser

lengths = []


class RecordingController(swfparser.ReadQuantityController):
    def __init__(self, src, should):
        super().__init__(src, should)
        lengths.append(should)


class AlignedBitConsumer(helpers.BitConsumer):
    def __init__(self, src):
        super().__init__(src)
        self._pos = src.tell()

    def u_get(self, quant):
        if self._count and self.src.tell() != self._pos:
            self._count = 0
        value = super().u_get(quant)
        self._pos = self.src.tell()
        return value


def definebitsjpeg2(self):
    obj = swfparser._make_object("DefineBitsJPEG2")
    obj.CharacterID = helpers.unpack_ui16(self._src)
    obj.ImageData = self._src.read(self._src.guard - 2)
    return obj


swfparser.ReadQuantityController = RecordingController
swfparser.BitConsumer = AlignedBitConsumer
swfparser.SWFParser._handle_tag_definebitsjpeg2 = definebitsjpeg2


def plain(value):
    if isinstance(value, (bytes, bytearray)):
        return len(value)
    if isinstance(value, (list, tuple)):
        return [plain(v) for v in value]
    if isinstance(value, (int, float, str)) or value is None:
        return value
    fields = {k: plain(v) for k, v in vars(value).items() if not k.startswith("_")}
    fields.setdefault("name", type(value).__name__)
    return fields


def main(path):
    parsed = swfparser.parsefile(path)
    tags = []
    next_length = 0
    for tag in parsed.tags:
        kind = type(tag).__name__
        fields = plain(tag)
        if kind == "UnknownObject":
            length = len(tag.raw_payload)
        else:
            length = lengths[next_length]
            next_length += 1
        tags.append({"name": tag.name, "length": length, "ok": kind not in ("UnknownObject", "FailingObject"),
                     "fields": fields})
    print(json.dumps({"header": plain(parsed.header), "tags": tags}))


if __name__ == "__main__":
    main(sys.argv[1])

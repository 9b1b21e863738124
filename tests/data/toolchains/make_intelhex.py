#!/usr/bin/python3
# Writes the python3-intelhex test files from blink.bin (avr-objcopy's
# binary of blink.c): three record sizes, start records of type 03 and 05.
from intelhex import IntelHex

code = open("blink.bin", "rb").read()
image = (code * 8)[:2048]


def write(name, base, byte_count, start):
    ih = IntelHex()
    ih.frombytes(image, offset=base)
    ih.start_addr = start
    ih.write_hex_file(name, byte_count=byte_count)


write("intelhex-16-start03.hex", 0x0000, 16, {"CS": 0x0000, "IP": 0x0100})
write("intelhex-32-start05.hex", 0xFC00, 32, {"EIP": 0x0000FC00})
write("intelhex-128-start05.hex", 0x20000, 128, {"EIP": 0x00020000})

#!/usr/bin/python3
"""Runs the i686 tessarub.dll's two thread routines as 32-bit code in a CPU
emulator and holds every byte they write to the native passes' results.

usage: run_workers.py <tessarub.dll> <tessarub_band_cases>

The library is loaded as the Windows loader would (sections, base relocations
at a base of our own, imports bound to small stubs, TLS callbacks and entry
point told of the process and of each thread). For each scene of
tessarub_band_cases the records, canvas and surfaces are laid out as the
32-bit program has them, and each band is started the way a thread start
calls a routine. After each band: the thread ended with exit code 0 (through
ExitThread, or by returning with its 4-byte argument removed), the output and
counts equal the native ones, and no other byte of the address space changed.

Needs the system Python's python3-unicorn and python3-pefile.
"""
import json
import struct
import subprocess
import sys
import time

import pefile
from unicorn import (UC_ARCH_X86, UC_HOOK_CODE, UC_HOOK_MEM_INVALID, UC_MODE_32, Uc,
                     UcError)
from unicorn.x86_const import (UC_X86_REG_EAX, UC_X86_REG_EIP, UC_X86_REG_ESP, UC_X86_REG_FS,
                               UC_X86_REG_GDTR, UC_X86_REG_SS)

PAGE = 0x1000
IMAGE_BASE = 0x10000000  # not the library's preferred base, so relocations matter
STUBS = 0x00100000       # one 32-byte routine per import
TEB = 0x00110000
GDT = 0x00120000
RETURN = 0x00130000      # the thread's return address: reaching it ends the run
HEAP = 0x00200000        # for the runtime's start-up; the routines allocate nothing
HEAP_SIZE = 0x00100000
STACK = 0x00400000
STACK_SIZE = 0x00100000
ENTRY_ESP = STACK + STACK_SIZE - 256  # at a call: the return address, then the arguments
DATA = 0x01000000        # a scene's records and buffers, each before an unmapped page
NOWHERE = 0x0BAD0000     # handles and the scratch pointer: never mapped

# RowBand as the 32-bit program lays it out: 68 bytes, no padding.
ROW_BAND = struct.Struct('<f2iI10i3I')
ROW_BAND_FIELDS = ('rowOrigin', 'outWidth', 'outHeight', 'counts', 'columnBegin', 'columnEnd',
                   'rowBegin', 'rowEnd', 'xPerRow', 'yPerRow', 'xPerColumn', 'yPerColumn',
                   'xOrigin', 'yOrigin', 'source', 'scratch', 'output')
# The heads of CanvasImage and DibSurface: two handles, the pixel pointer and
# the bitmap header; then the canvas's two colours and size, or the surface's
# 256-entry colour table.
IMAGE_HEAD = struct.Struct('<3I IiiHHIIiiII')
ROUTINES = {1: '_Threadtessarub1@4', 2: '_Threadtessarub2@4'}

# Machine-code stubs for the imports whose work is calling back or the x87 stack.
INITTERM = bytes.fromhex(  # call each non-null pointer in [begin, end)
    '5657 8b74240c 8b7c2410 39fe 730d 8b06 85c0 7402 ffd0 83c604 ebef 5f 5e c3')
HYPOT = bytes.fromhex(     # sqrt(x * x + y * y) on the x87 stack
    'dd442404 d8c8 dd44240c d8c8 dec1 d9fa c3')


class Fault(Exception):
    """Why the library could not be loaded or a band could not run to its end."""


class Worker:
    """The emulated process: the library, its stubs, one thread's stack and TEB."""

    def __init__(self, dll_path):
        self.uc = Uc(UC_ARCH_X86, UC_MODE_32)
        self.regions = {}      # name -> (address, size), everything mapped
        self.handlers = {}     # stub address -> handler(arguments) -> eax or None
        self.exit_code = None  # set by ExitThread
        self.fault = None
        self.heap_next = HEAP
        self.emulated = 0.0    # seconds spent running 32-bit code
        self.map('stubs', STUBS, PAGE)
        self.map('return', RETURN, PAGE)
        self.map('heap', HEAP, HEAP_SIZE)
        self.map('stack', STACK, STACK_SIZE)
        self.make_teb()
        self.uc.hook_add(UC_HOOK_CODE, self.on_stub, begin=STUBS, end=STUBS + PAGE - 1)
        self.uc.hook_add(UC_HOOK_MEM_INVALID, self.on_invalid)
        self.load(dll_path)

    def map(self, name, address, size):
        self.uc.mem_map(address, size)
        self.regions[name] = (address, size)

    def make_teb(self):
        # fs: is the TEB, ss: a flat 32-bit stack, both from a GDT of our own.
        self.map('teb', TEB, PAGE)
        self.map('gdt', GDT, PAGE)

        def segment(base, limit, flags):  # present, ring 0, read-write data
            return struct.pack('<Q', limit & 0xFFFF | (base & 0xFFFFFF) << 16 | 0x93 << 40 |
                               (limit >> 16) << 48 | flags << 52 | (base >> 24) << 56)
        self.uc.mem_write(GDT + 8, segment(TEB, PAGE - 1, 0x4) + segment(0, 0xFFFFF, 0xC))
        self.uc.reg_write(UC_X86_REG_GDTR, (0, GDT, 23, 0))
        self.uc.reg_write(UC_X86_REG_FS, 8)
        self.uc.reg_write(UC_X86_REG_SS, 16)
        tib = struct.pack('<7I', 0xFFFFFFFF, STACK + STACK_SIZE, STACK, 0, 0, 0, TEB)
        self.uc.mem_write(TEB, tib)

    def load(self, path):
        pe = pefile.PE(path)
        if pe.FILE_HEADER.Machine != 0x14C:
            raise Fault(f'{path} is not an i386 image')
        size = (pe.OPTIONAL_HEADER.SizeOfImage + PAGE - 1) & ~(PAGE - 1)
        image = bytearray(pe.get_memory_mapped_image()).ljust(size, b'\0')
        delta = IMAGE_BASE - pe.OPTIONAL_HEADER.ImageBase
        for block in getattr(pe, 'DIRECTORY_ENTRY_BASERELOC', []):
            for entry in block.entries:
                if entry.type == 0:  # padding
                    continue
                if entry.type != 3:  # HIGHLOW is all a 32-bit image should have
                    raise Fault(f'relocation of type {entry.type} at rva {entry.rva:#x}')
                value, = struct.unpack_from('<I', image, entry.rva)
                struct.pack_into('<I', image, entry.rva, (value + delta) & 0xFFFFFFFF)
        slot = STUBS
        for library in pe.DIRECTORY_ENTRY_IMPORT:
            for imported in library.imports:
                name = imported.name.decode() if imported.name else f'#{imported.ordinal}'
                self.bind(slot, library.dll.decode().lower(), name)
                iat = imported.address - pe.OPTIONAL_HEADER.ImageBase
                struct.pack_into('<I', image, iat, slot)
                slot += 32
        self.map('image', IMAGE_BASE, size)
        self.uc.mem_write(IMAGE_BASE, bytes(image))
        self.exports = {s.name.decode(): IMAGE_BASE + s.address
                        for s in pe.DIRECTORY_ENTRY_EXPORT.symbols if s.name}
        # What the loader does before any thread runs: static TLS for this
        # thread, the TLS callbacks, then the entry point, which also runs the
        # runtime's constructors (among them the processor feature detection
        # by which the accumulate pass picks its instructions).
        self.attach = [IMAGE_BASE + pe.OPTIONAL_HEADER.AddressOfEntryPoint]
        tls = getattr(pe, 'DIRECTORY_ENTRY_TLS', None)
        if tls is not None:
            self.attach[:0] = self.set_up_tls(tls.struct, delta)
        self.notify(1)  # DLL_PROCESS_ATTACH

    def notify(self, reason):
        """Calls the TLS callbacks and the entry point as the loader does."""
        for routine in self.attach:
            esp = self.call(routine, [IMAGE_BASE, reason, 0])
            if self.uc.reg_read(UC_X86_REG_EIP) != RETURN or esp != ENTRY_ESP + 16:
                raise Fault(f'start-up routine at {routine:#x} did not return as stdcall')
        if self.uc.reg_read(UC_X86_REG_EAX) != 1:
            raise Fault(f'the entry point did not report success for reason {reason}')

    def set_up_tls(self, directory, delta):
        start = directory.StartAddressOfRawData + delta
        end = directory.EndAddressOfRawData + delta
        template = bytes(self.uc.mem_read(start, end - start)) + bytes(directory.SizeOfZeroFill)
        block = self.allocate(len(template) + 4)
        self.uc.mem_write(block + 4, template)
        self.uc.mem_write(block, struct.pack('<I', block + 4))  # slot 0 of the TLS array
        self.uc.mem_write(TEB + 0x2C, struct.pack('<I', block))
        self.uc.mem_write(directory.AddressOfIndex + delta, struct.pack('<I', 0))
        callbacks, table = [], directory.AddressOfCallBacks + delta
        while True:
            callback, = struct.unpack('<I', self.uc.mem_read(table + 4 * len(callbacks), 4))
            if callback == 0:
                return callbacks
            callbacks.append(callback)

    # --- imports -----------------------------------------------------------

    def bind(self, slot, library, name):
        def result(value):
            return lambda args: value
        stdcall = {  # kernel32 routines pop their arguments: (argument count, result)
            'deletecriticalsection': (1, None), 'entercriticalsection': (1, None),
            'initializecriticalsection': (1, None), 'leavecriticalsection': (1, None),
            'sleep': (1, None), 'getlasterror': (0, result(0)),
            'getmodulehandlea': (1, result(0)), 'loadlibrarya': (1, result(0)),
            'getprocaddress': (2, result(0)), 'freelibrary': (1, result(1)),
            'tlsgetvalue': (1, result(0)), 'exitthread': (1, self.exit_thread),
        }
        cdecl = {'_lock': None, '_unlock': None, 'free': None,
                 'calloc': lambda args: self.allocate(args[0] * args[1]),
                 'realloc': self.reallocate, 'memset': self.fill}
        code = {'_initterm': INITTERM, '_hypot': HYPOT}
        key = name.lower() if library == 'kernel32.dll' else name
        if library == 'kernel32.dll' and key in stdcall:
            count, handler = stdcall[key]
            self.uc.mem_write(slot, b'\xc2' + struct.pack('<H', 4 * count))  # ret 4n
        elif library == 'msvcrt.dll' and key in cdecl:
            handler = cdecl[key]
            self.uc.mem_write(slot, b'\xc3')
        elif library == 'msvcrt.dll' and key in code:
            self.uc.mem_write(slot, code[key])
            return
        else:
            handler = lambda args, name=f'{library}!{name}': self.unanswered(name)
            self.uc.mem_write(slot, b'\xf4')  # hlt: never run past the hook
        self.handlers[slot] = handler

    def on_stub(self, uc, address, size, user):
        handler = self.handlers.get(address)
        if handler is None:
            return
        esp = uc.reg_read(UC_X86_REG_ESP)
        args = struct.unpack('<4I', uc.mem_read(esp + 4, 16))
        value = handler(args)
        if value is not None:
            uc.reg_write(UC_X86_REG_EAX, value & 0xFFFFFFFF)

    def exit_thread(self, args):
        self.exit_code = args[0]
        self.uc.emu_stop()

    def unanswered(self, name):
        caller, = struct.unpack('<I', self.uc.mem_read(self.uc.reg_read(UC_X86_REG_ESP), 4))
        self.fault = (f'called {name} from rva {caller - IMAGE_BASE:#x}, '
                      'which this check does not answer')
        self.uc.emu_stop()

    def allocate(self, size):
        address = self.heap_next
        self.heap_next = (address + size + 15) & ~15
        if self.heap_next > HEAP + HEAP_SIZE:
            raise Fault('the emulated heap is exhausted')
        return address

    def reallocate(self, args):
        address = self.allocate(args[1])
        if args[0]:  # old sizes are not kept: copy what the new size holds
            self.uc.mem_write(address, bytes(self.uc.mem_read(args[0], args[1])))
        return address

    def fill(self, args):
        self.uc.mem_write(args[0], bytes([args[1] & 0xFF]) * args[2])
        return args[0]

    def on_invalid(self, uc, access, address, size, value, user):
        eip = uc.reg_read(UC_X86_REG_EIP)
        self.fault = (f'touched unmapped address {address:#x} ({size} bytes) '
                      f'at eip {eip:#x} (rva {eip - IMAGE_BASE:#x})')
        return False

    # --- calls -------------------------------------------------------------

    def call(self, address, args, seconds=30):
        """Calls with the arguments on the stack and RETURN as the return
        address, as a thread start does; returns the stack pointer after."""
        frame = struct.pack(f'<{1 + len(args)}I', RETURN, *args)
        self.uc.mem_write(ENTRY_ESP, frame)
        self.uc.reg_write(UC_X86_REG_ESP, ENTRY_ESP)
        self.exit_code, self.fault = None, None
        started = time.monotonic()
        try:
            self.uc.emu_start(address, RETURN, timeout=seconds * 1000000)
        except UcError as error:
            raise Fault(self.fault or f'{error} at eip {self.uc.reg_read(UC_X86_REG_EIP):#x}')
        finally:
            self.emulated += time.monotonic() - started
        if self.fault:
            raise Fault(self.fault)
        return self.uc.reg_read(UC_X86_REG_ESP)

    def start_thread(self, routine, band):
        """Runs a thread routine on a band record; the thread's exit code."""
        esp = self.call(self.exports[routine], [band])
        if self.exit_code is not None:
            return self.exit_code
        if self.uc.reg_read(UC_X86_REG_EIP) != RETURN:
            raise Fault('did not end within the time limit')
        if esp != ENTRY_ESP + 8:
            raise Fault(f'returned with the stack pointer moved by {esp - ENTRY_ESP} '
                        'bytes, not 8 (return address and the 4-byte argument)')
        return self.uc.reg_read(UC_X86_REG_EAX)

    def snapshot(self):
        return {name: bytes(self.uc.mem_read(address, size))
                for name, (address, size) in self.regions.items()}


def place(worker, name, address, content):
    """Maps content so that it ends where an unmapped page begins; returns
    where it starts and the next free address."""
    size = (len(content) + PAGE - 1) & ~(PAGE - 1)
    worker.map(name, address, size)
    start = address + size - len(content)
    worker.uc.mem_write(start, content)
    return start, address + size + PAGE


def lay_out(worker, scene):
    """The scene's canvas, surfaces, counts and band record in emulated memory,
    as the 32-bit program has them; the pointers the band record takes."""
    canvas, out = scene['canvas'], scene['output']
    W, H = scene['bands'][0]['outWidth'], out['height']
    free = DATA
    bits, free = place(worker, 'canvas bits', free, bytes.fromhex(canvas['bits']))
    head = IMAGE_HEAD.pack(NOWHERE, NOWHERE + 4, bits, 40, canvas['width'], canvas['height'],
                           1, 1, 0, 0, 0, 0, 0, 0)
    colours = bytes.fromhex('ffffff00000000ff') + struct.pack('<2i', canvas['width'],
                                                              canvas['height'])
    source, free = place(worker, 'canvas record', free, head + colours)
    stride = (out['width'] + 3) & ~3
    out_bits, free = place(worker, 'output bits', free, bytes(stride * H))
    head = IMAGE_HEAD.pack(NOWHERE + 8, NOWHERE + 12, out_bits, 40, out['width'], H, 1, 8, 0,
                           0, 0, 0, 0, 0)
    output, free = place(worker, 'output record', free, head + bytes(range(256)) * 4)
    counts, free = place(worker, 'counts', free, bytes(W * H))
    record, free = place(worker, 'band record', free, bytes(ROW_BAND.size))
    return dict(record=record, counts=counts, source=source, output=output, out_bits=out_bits,
                scratch=NOWHERE + 16)


def first_difference(before, after, start=0, end=None):
    end = len(before) if end is None else end
    if before[start:end] == after[start:end]:
        return None
    return next(i for i in range(start, end) if before[i] != after[i])


def run_bands(worker, scene, at):
    """Starts the scene's bands in order; what went wrong."""
    H = scene['output']['height']
    stride, W = (scene['output']['width'] + 3) & ~3, scene['bands'][0]['outWidth']
    # The two buffers the routines write, with bytes per row.
    written = {'output bits': (at['out_bits'], stride), 'counts': (at['counts'], W)}
    problems = []
    for k, band in enumerate(scene['bands']):
        fields = dict(band, **at)
        worker.uc.mem_write(at['record'], ROW_BAND.pack(*(fields[f] for f in ROW_BAND_FIELDS)))
        what = (f"{scene['name']}: band {k} ({ROUTINES[band['routine']]}, "
                f"rows {band['rowBegin']}..{band['rowEnd']})")
        try:
            worker.notify(2)  # DLL_THREAD_ATTACH, in the new thread
            before = worker.snapshot()
            exit_code = worker.start_thread(ROUTINES[band['routine']], at['record'])
            after = worker.snapshot()
            worker.notify(3)  # DLL_THREAD_DETACH, as the thread ends
        except Fault as fault:
            return problems + [f'{what}: {fault}']
        if exit_code != 0:
            problems.append(f'{what}: exit code {exit_code}')
        for name, (base, _) in worker.regions.items():
            # Below its argument the stack is the routine's own; the buffers
            # it writes are compared with the native ones after their padding.
            start = ENTRY_ESP + 8 - base if name == 'stack' else 0
            end = written[name][0] - base if name in written else None
            i = first_difference(before[name], after[name], start, end)
            if i is not None:
                problems.append(f'{what}: changed {name} at {base + i:#x}')
        for name, key in (('output bits', 'outputAfter'), ('counts', 'countsAfter')):
            address, pitch = written[name]
            got = after[name][address - worker.regions[name][0]:]
            want = bytes.fromhex(band[key])
            i = first_difference(want, got)
            if i is not None:
                y = H - 1 - i // pitch if name == 'output bits' else i // pitch
                wrong = sum(1 for a, b in zip(want, got) if a != b)
                problems.append(f'{what}: {name} byte {i} (x {i % pitch}, y {y}) is '
                                f'{got[i]:#04x}, native {want[i]:#04x}; {wrong} bytes differ')
    return problems


def run_scene(worker, scene):
    at = lay_out(worker, scene)
    try:
        return run_bands(worker, scene, at)
    finally:
        for name in ('canvas bits', 'canvas record', 'output bits', 'output record', 'counts',
                     'band record'):
            address, size = worker.regions.pop(name)
            worker.uc.mem_unmap(address, size)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    dll, cases = sys.argv[1:]
    try:
        scenes = json.loads(subprocess.run([cases], check=True, capture_output=True).stdout)
        worker = Worker(dll)
    except (OSError, subprocess.CalledProcessError, pefile.PEFormatError) as error:
        sys.exit(f'FAIL: {error}')
    except Fault as fault:
        sys.exit(f'FAIL: loading {dll}: {fault}')
    worker.emulated = 0.0
    problems, bands = [], 0
    for scene in scenes:
        started = worker.emulated
        problems += run_scene(worker, scene)
        bands += len(scene['bands'])
        print(f"{scene['name']}: {len(scene['bands'])} bands, "
              f'{worker.emulated - started:.3f} s of emulation')
    for problem in problems:
        print(f'FAIL: {problem}')
    if problems:
        sys.exit(1)
    print(f'tessarub.dll (i686, emulated): {bands} bands in {worker.emulated:.2f} s, '
          'every byte as the native passes leave it')


if __name__ == '__main__':
    main()

// SPDX-License-Identifier: MIT
// ocr_trace [--isr VECTOR] ELF MAX_CYCLES [LOW_AT HIGH_AT]...
//
// Runs an ATmega328P program at 16 MHz in simavr and prints, one line each,
// "<cycle> <value>" for every write to OCR2A (the PWM level of pin 11), in
// order. After the run it prints "end <state> <cycle> TCCR2A TCCR2B DDRB"
// with the registers in hex: state "done" when the program stopped itself
// (sleep with interrupts off), "limit" when it ran MAX_CYCLES cycles, or
// "crashed". Exits 0 after a run, 1 when the ELF cannot be loaded, 2 for a
// bad command line.
//
// Each LOW_AT HIGH_AT pair presses a button on pin 2 (PD2): the pin is held
// low from cycle LOW_AT until cycle HIGH_AT, and high otherwise, as a pulled
// up input with a button to ground reads. The cycles must rise. Each change
// is printed "pin2 <cycle> <level>" when it takes effect.
//
// With --isr, each run of the interrupt with that vector number (11 for
// TIMER1_COMPA) is printed "isr <entry> <exit>": the cycle at which the CPU
// responds to it (4 cycles before it reaches the vector), and the cycle at
// which its reti ends.
#include <inttypes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <avr_ioport.h>
#include <sim_avr.h>
#include <sim_elf.h>
#include <sim_io.h>

// Data-space addresses of the ATmega328P's registers.
enum { DDRB_ADDR = 0x24, TCCR2A_ADDR = 0xB0, TCCR2B_ADDR = 0xB1, OCR2A_ADDR = 0xB3 };
// The ATmega328P's interrupt vectors: 26 of 4 bytes each; the cycles it
// takes to respond to an interrupt (simavr jumps to the vector without
// counting them); reti's opcode and its cycles.
enum { VECTORS = 26, VECTOR_BYTES = 4, RESPONSE_CYCLES = 4, RETI = 0x9518, RETI_CYCLES = 4 };

// Called on each write to OCR2A, after simavr's own timer handler (simavr
// chains the two). Stores the value, as every write handler must.
static void ocr_written(avr_t* avr, avr_io_addr_t addr, uint8_t value, void* param) {
    (void)param;
    avr->data[addr] = value;
    printf("%" PRIu64 " %u\n", (uint64_t)avr->cycle, value);
}

// The most pin 2 changes one run takes.
enum { MAX_CHANGES = 64 };

int main(int argc, char** argv) {
    // The traced vector's address in flash, or none.
    long isr_at = -1;
    if (argc > 2 && strcmp(argv[1], "--isr") == 0) {
        char* end = NULL;
        long vector = strtol(argv[2], &end, 10);
        if (*end != '\0' || vector < 1 || vector >= VECTORS) {
            fprintf(stderr, "ocr_trace: --isr takes a vector number from 1 to %d\n", VECTORS - 1);
            return 2;
        }
        isr_at = vector * VECTOR_BYTES;
        argc -= 2;
        argv += 2;
    }
    int changes = argc - 3;
    if (argc < 3 || changes % 2 != 0 || changes > MAX_CHANGES) {
        fprintf(stderr, "usage: ocr_trace [--isr VECTOR] ELF MAX_CYCLES [LOW_AT HIGH_AT]...\n");
        return 2;
    }
    uint64_t change_at[MAX_CHANGES];
    for (int i = 0; i < changes; ++i) {
        change_at[i] = strtoull(argv[3 + i], NULL, 10);
        if (i > 0 && change_at[i] <= change_at[i - 1]) {
            fprintf(stderr, "ocr_trace: the cycles of pin 2's changes must rise\n");
            return 2;
        }
    }
    static elf_firmware_t firmware;
    if (elf_read_firmware(argv[1], &firmware) != 0) {
        fprintf(stderr, "ocr_trace: cannot read %s\n", argv[1]);
        return 1;
    }
    avr_t* avr = avr_make_mcu_by_name("atmega328p");
    if (avr == NULL) {
        fprintf(stderr, "ocr_trace: simavr has no atmega328p\n");
        return 1;
    }
    avr_init(avr);
    avr_load_firmware(avr, &firmware);
    avr->frequency = 16000000;
    avr->log = 0;
    avr_register_io_write(avr, OCR2A_ADDR, ocr_written, NULL);
    // Pin 2 reads high until the first press, as a pulled-up input with an
    // open button does.
    avr_irq_t* pin2 = avr_io_getirq(avr, AVR_IOCTL_IOPORT_GETIRQ('D'), 2);
    if (changes > 0) {
        avr_raise_irq(pin2, 1);
    }

    uint64_t limit = strtoull(argv[2], NULL, 10);
    int state = cpu_Running;
    int next_change = 0;
    // The cycle at which the traced interrupt began; 0 outside it.
    uint64_t isr_entry = 0;
    while (avr->cycle < limit && state != cpu_Done && state != cpu_Crashed) {
        if (next_change < changes && avr->cycle >= change_at[next_change]) {
            uint32_t level = next_change % 2 == 0 ? 0 : 1;
            avr_raise_irq(pin2, level);
            printf("pin2 %" PRIu64 " %u\n", (uint64_t)avr->cycle, level);
            ++next_change;
        }
        // The interrupt ends with its reti's cycles, whatever the same step
        // does next (simavr may enter another interrupt in it).
        if (isr_entry != 0 && (avr->flash[avr->pc] | avr->flash[avr->pc + 1] << 8) == RETI) {
            printf("isr %" PRIu64 " %" PRIu64 "\n", isr_entry, (uint64_t)avr->cycle + RETI_CYCLES);
            isr_entry = 0;
        }
        state = avr_run(avr);
        if (isr_at >= 0 && isr_entry == 0 && avr->pc == (avr_flashaddr_t)isr_at) {
            isr_entry = avr->cycle - RESPONSE_CYCLES;
        }
    }
    printf("end %s %" PRIu64 " %02x %02x %02x\n",
           state == cpu_Done      ? "done"
           : state == cpu_Crashed ? "crashed"
                                  : "limit",
           (uint64_t)avr->cycle, avr->data[TCCR2A_ADDR], avr->data[TCCR2B_ADDR], avr->data[DDRB_ADDR]);
    return 0;
}

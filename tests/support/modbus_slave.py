#!/usr/bin/python3
"""An independent Modbus RTU slave for the bench tests: answers on PORT for slaves 1 and 2.

Slave 1: holding registers 10, 11 = 0x1234, 0xABCD and 100..101 writable; slave 2: input register 32 = 7.
Any other register answers exception 2. Prints "ready" once listening.
"""
import sys

from pymodbus.datastore import ModbusSequentialDataBlock, ModbusServerContext, ModbusSlaveContext
from pymodbus.server import StartSerialServer
from pymodbus.transaction import ModbusRtuFramer


def block(values):
    # Sparse blocks: registers outside the given ones do not exist.
    from pymodbus.datastore import ModbusSparseDataBlock
    return ModbusSparseDataBlock(values) if values else ModbusSparseDataBlock({0xFFFF: 0})


def main():
    port = sys.argv[1]
    one = ModbusSlaveContext(hr=block({10: 0x1234, 11: 0xABCD, 100: 0, 101: 0}), ir=block({}),
                             di=block({}), co=block({}), zero_mode=True)
    two = ModbusSlaveContext(hr=block({}), ir=block({32: 7}), di=block({}), co=block({}), zero_mode=True)
    context = ModbusServerContext(slaves={1: one, 2: two}, single=False)
    print("ready", flush=True)
    StartSerialServer(context=context, framer=ModbusRtuFramer, port=port, baudrate=115200, bytesize=8,
                      parity="N", stopbits=1, timeout=0.05)


if __name__ == "__main__":
    main()

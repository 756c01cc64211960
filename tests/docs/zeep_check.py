"""maj-doc-service's description read by an independent SOAP toolkit (zeep): both operations called with
the arguments MAJ sends, answers compared. Usage: zeep_check.py <maj-doc-service executable>."""
import os
import subprocess
import sys
import tempfile
import time

import zeep

DOCUMENT = bytes([0xFF, 0x00, 0xFE]) + "é".encode("utf-8") + bytes(range(256))

with tempfile.TemporaryDirectory() as folder:
    with open(os.path.join(folder, "index.txt"), "w", encoding="utf-8") as index:
        index.write("12|Nouveautés de la version|13.01\n20|Plus tard|14.00\n")
    with open(os.path.join(folder, "12.pdf"), "wb") as document:
        document.write(DOCUMENT)
    port_file = os.path.join(folder, "port")
    service = subprocess.Popen([sys.argv[1], "--documents", folder, "--port-file", port_file],
                               stdout=subprocess.DEVNULL)
    try:
        for _ in range(500):
            if os.path.exists(port_file):
                break
            time.sleep(0.01)
        with open(port_file) as f:
            port = int(f.read())
        client = zeep.Client(f"http://127.0.0.1:{port}/MAJProscenia/WsServiceDocumentation.asmx?WSDL")
        listed = client.service.GetListeNouveautes(130109, 130110, "ORVANE", 1)
        assert listed == ["12|Nouveautés de la version|13.01"], listed
        assert client.service.GetFichier(12.0) == DOCUMENT
        try:
            client.service.GetFichier(99.0)
            raise AssertionError("an unknown document gave no fault")
        except zeep.exceptions.Fault as fault:
            assert "99" in fault.message, fault.message
    finally:
        service.terminate()
        service.wait()
print("zeep: description read, both operations answered")

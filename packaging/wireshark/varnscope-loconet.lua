-- LocoNet for Wireshark and tshark: the messages of a pcap file of link type
-- DLT_USER0 (147), as varnscope-cli export-pcap and monitor --pcap write them,
-- one LocoNet message a packet. Each message is classified and decoded with the
-- same texts as varnscope's message display; SV-access messages (SV format 2)
-- are taken apart field by field.
--
-- Installed into Wireshark's global Lua plugin folder by the varnscope
-- package; by hand: tshark -X lua_script:varnscope-loconet.lua -r FILE.pcap
--
-- Filter fields: vsloconet.kind, vsloconet.text, vsloconet.opcode, ...,
-- vsloconet.sv.command, vsloconet.sv.source, vsloconet.sv.destination,
-- vsloconet.sv.address, vsloconet.sv.data.

local band, bor, lshift, rshift = bit.band, bit.bor, bit.lshift, bit.rshift

local proto = Proto("vsloconet", "LocoNet (varnscope)")

local kSvCommands = {
    [0x01] = "Write 1 Byte", [0x02] = "Read 1 Byte", [0x03] = "Masked Write", [0x05] = "Write 4 Bytes",
    [0x06] = "Read 4 Bytes", [0x07] = "Discover", [0x08] = "Identify", [0x09] = "ChangeAddress",
    [0x0F] = "Reconfigure",
    [0x41] = "Write 1 Byte Reply", [0x42] = "Read 1 Byte Reply", [0x43] = "Masked Write Reply",
    [0x45] = "Write 4 Bytes Reply", [0x46] = "Read 4 Bytes Reply", [0x47] = "Discover Reply",
    [0x48] = "Identify Reply", [0x49] = "Change Address Reply", [0x4F] = "Reconfigure Reply",
}

local f = {
    opcode = ProtoField.uint8("vsloconet.opcode", "Opcode", base.HEX),
    kind = ProtoField.string("vsloconet.kind", "Kind"),
    text = ProtoField.string("vsloconet.text", "Decoded"),
    hex = ProtoField.string("vsloconet.hex", "Bytes"),
    length = ProtoField.uint8("vsloconet.length", "Length", base.DEC),
    checksum = ProtoField.uint8("vsloconet.checksum", "Checksum", base.HEX),
    checksum_ok = ProtoField.bool("vsloconet.checksum_ok", "Checksum good"),
    sv_command = ProtoField.uint8("vsloconet.sv.command", "SV command", base.HEX, kSvCommands),
    sv_reply = ProtoField.bool("vsloconet.sv.reply", "Reply"),
    sv_source = ProtoField.uint8("vsloconet.sv.source", "Source", base.DEC),
    sv_destination = ProtoField.uint16("vsloconet.sv.destination", "Destination", base.DEC),
    sv_address = ProtoField.uint16("vsloconet.sv.address", "SV address", base.HEX),
    sv_data = ProtoField.uint8("vsloconet.sv.data", "Data", base.HEX),
    sv_mask = ProtoField.uint8("vsloconet.sv.mask", "Mask", base.HEX),
    sv_vendor = ProtoField.uint16("vsloconet.sv.vendor", "Vendor id", base.DEC),
    sv_device = ProtoField.uint16("vsloconet.sv.device", "Device id", base.DEC),
    sv_serial = ProtoField.uint16("vsloconet.sv.serial", "Serial number", base.DEC),
    sv_new_address = ProtoField.uint16("vsloconet.sv.new_address", "New address", base.DEC),
}
proto.fields = {f.opcode, f.kind, f.text, f.hex, f.length, f.checksum, f.checksum_ok, f.sv_command, f.sv_reply,
                f.sv_source, f.sv_destination, f.sv_address, f.sv_data, f.sv_mask, f.sv_vendor, f.sv_device,
                f.sv_serial, f.sv_new_address}

-- ---- Classification: the kind table (opcode, length, kind name) ----------

local kKinds = {
    {0x85, 2, "OPC_IDLE"}, {0x83, 2, "OPC_GPON"}, {0x82, 2, "OPC_GPOFF"}, {0x81, 2, "OPC_BUSY"},
    {0x88, 2, "OPC_MASTERLIM"}, {0x89, 2, "OPC_MASTERNORM"}, {0xBF, 4, "OPC_LOCOADR"}, {0xBD, 4, "OPC_SWACK"},
    {0xBC, 4, "OPC_SWSTATE"}, {0xBB, 4, "OPC_RQSLDATA"}, {0xBA, 4, "OPC_MOVESLOTS"}, {0xB9, 4, "OPC_LINKSLOTS"},
    {0xB8, 4, "OPC_UNLINKSLOTS"}, {0xB6, 4, "OPC_CONSISTFUNC"}, {0xB5, 4, "OPC_SLOTSTAT1"},
    {0xB4, 4, "OPC_LONGACK"}, {0xB2, 4, "OPC_SENSORREP"}, {0xB1, 4, "OPC_OPSTATE"}, {0xB0, 4, "OPC_SWREQ"},
    {0xA3, 4, "OPC_LOCOF912"}, {0xA2, 4, "OPC_LOCOSND"}, {0xA1, 4, "OPC_LOCODIRF"}, {0xA0, 4, "OPC_LOCOSPD"},
    {0xD1, 6, "OPC_SPDLIMSLOT"}, {0xD0, 6, "OPC_MULTISENSE"}, {0xDF, 6, "OPC_AUXWR"}, {0xD7, 6, "OPC_AUXRD"},
    {0xEF, 14, "OPC_WRSLDATA"}, {0xE7, 14, "OPC_SLRDDATA"}, {0xEE, 15, "OPC_WRLIMDATA"},
    {0xEE, 16, "OPC_ALMWRACCESS"}, {0xE6, 15, "OPC_RDLIMDATA"}, {0xE6, 16, "OPC_ALMRDACCESS"},
    {0xE5, 16, "OPC_PEERXFER"}, {0xE5, 17, "OPC_PEERLXFER"}, {0xE4, 12, "OPC_SELONG"}, {0xE4, 9, "OPC_SE"},
    {0xE5, 10, "OPC_THROTSTAT"}, {0xE5, 9, "OPC_FIND"}, {0xED, 11, "OPC_IMMPACKET"}, {0xED, 15, "OPC_SPCLOEM1"},
    {0xED, 31, "OPC_SPCLOEM2"},
}

local function expected_length(b)
    local n = rshift(band(b[0], 0x60), 4) + 2
    if n == 8 then n = b[1] or 0 end
    return n
end

local function is_valid(b, n)
    if n < 2 or n ~= expected_length(b) then return false end
    local x = 0
    for i = 0, n - 1 do x = bit.bxor(x, b[i]) end
    return x == 0xFF
end

local function kind_of(b, n)
    if not is_valid(b, n) then return "Unknown" end
    for _, row in ipairs(kKinds) do
        if row[1] == b[0] and row[2] == n then
            if b[0] == 0xB1 then return band(b[2], 0x40) ~= 0 and "OPC_TOFB" or "OPC_OPSTATE" end
            if b[0] == 0xE5 and n == 16 then
                if band(b[10], 0xF0) ~= 0x10 then return "OPC_PEERXFER" end
                if band(b[5], 0xF0) == 0x00 and b[4] == 1 then return "OPC_SVACCESS Type 1" end
                if band(b[5], 0xF0) == 0x10 and b[4] == 2 then return "OPC_SVACCESS Type 2" end
                return "OPC_PEERXFER"
            end
            return row[3]
        end
    end
    return "Unknown"
end

-- ---- Texts, as the message display writes them ----------------------------

local function hex_text(b, n)
    local parts = {}
    for i = 0, n - 1 do parts[#parts + 1] = string.format("%02X ", b[i]) end
    return table.concat(parts)
end

local function point_number(b1, b2)
    return bor(lshift(band(b2, 0x0F), 7), band(b1, 0x7F)) + 1
end

local function normalise_aspect(v)
    if v >= 0x40 then return band(band(v, 0x3F) * 4, 0xFF) end
    return v
end

local function function_texts(functions, count, first)
    local text = ""
    for i = 0, count - 1 do
        if band(functions, lshift(1, i)) ~= 0 then text = text .. "F" .. (first + i) .. " set; " end
    end
    return text
end

local kSwitchStates = {[0] = ", THROWN Released", ", THROWN Pressed", ", CLOSED Released", ", CLOSED Pressed"}
local kAspects = {[0] = " is RED", " is Amber", " is Double amber", " is Green", " is RED, reverse running"}
local kSlotUsage = {[0] = "Slot Free", "Slot Common", "Slot Idle", "Slot In Use"}
local kConsist = {[0] = "Free Loco", "Consist SubMember", "Consist Top", "Mid Consist"}
local kDecoderTypes = {[0] = "DCC 28 Speed Steps", "Trinary", "DCC 14 Speed Steps", "DCC 128 Speed Steps",
                       "DCC 28 Speed Steps, FX decoder", "Reserved", "Reserved", "DCC 128 Speed Steps, FX decoder"}

-- SV format 2: eight payload bytes, bit 7 of each carried in byte 10 (D1..D4,
-- bytes 11..14) or byte 5 (bytes 6..9); words are little-endian byte pairs.
local function sv_byte(b, i)
    local wire, high
    if i < 4 then wire, high = 11 + i, b[10] else wire, high = 6 + (i - 4), b[5] end
    local value = b[wire]
    if band(high, lshift(1, band(i, 3))) ~= 0 then value = bor(value, 0x80) end
    return value
end

local function sv_word(b, n)
    return bor(sv_byte(b, 2 * n), lshift(sv_byte(b, 2 * n + 1), 8))
end

local kSvKindByNibble = {[1] = "Write 1 Byte", [2] = "Read 1 Byte", [3] = "Masked Write", [5] = "Write 4 Bytes",
                         [6] = "Read 4 Bytes", [7] = "Discover", [8] = "Identify", [9] = "ChangeAddress",
                         [15] = "Reconfigure"}
-- Replies name themselves apart where the request's name has no space to take " Reply".
local kSvReplyNames = {["ChangeAddress"] = "Change Address Reply"}

local function sv_kind(b)
    local name = kSvKindByNibble[band(b[3], 0x0F)]
    if name == nil then return nil end
    if band(b[3], 0x40) ~= 0 then return kSvReplyNames[name] or (name .. " Reply"), true, name end
    return name, false, name
end

local function sv_text(b)
    local name, _, request = sv_kind(b)
    if name == nil then return "SV Access: Unknown or improper format" end
    local text = "SV Access: " .. name
    if request == "Write 1 Byte" or request == "Read 1 Byte" or request == "Masked Write" then
        text = text .. string.format(" Dst=%d Addr=%04X data=%02X", sv_word(b, 2), sv_word(b, 3), sv_byte(b, 0))
        if request == "Masked Write" then text = text .. string.format(" mask=%02X", sv_byte(b, 1)) end
    elseif request == "Write 4 Bytes" or request == "Read 4 Bytes" then
        text = text .. string.format(" Dst=%d Addr=%04X data=%02X %02X %02X %02X", sv_word(b, 2), sv_word(b, 3),
                                     sv_byte(b, 0), sv_byte(b, 1), sv_byte(b, 2), sv_byte(b, 3))
    elseif request == "Discover" or request == "Identify" or request == "ChangeAddress" then
        text = text .. string.format(" VendId=%d DevId=%d Serial=%d", sv_word(b, 3), sv_word(b, 0), sv_word(b, 1))
        if request == "ChangeAddress" then text = text .. string.format(" New Adr=%d", sv_word(b, 2)) end
    elseif request == "Reconfigure" then
        text = text .. string.format(" Dest=%d", sv_word(b, 2))
    end
    return text
end

local function peer_data(b, n)
    local value, high
    if n <= 4 then value, high = b[5 + n], band(b[5], lshift(1, n - 1))
    else value, high = b[6 + n], band(b[10], lshift(1, n - 5)) end
    if high ~= 0 then value = bor(value, 0x80) end
    return value
end

local function peer_text(b)
    if b[2] == 0x50 and b[3] == 0x50 and b[4] == 0x01 then
        local d = function(n) return peer_data(b, n) end
        return string.format("LocoBuffer V%d.%d.%d.%d, Bad Frames = %d, Collisions = %d",
                             rshift(d(1), 4), band(d(1), 0x0F), rshift(d(5), 4), band(d(5), 0x0F),
                             d(2) * 65536 + d(3) * 256 + d(4), d(6) * 65536 + d(7) * 256 + d(8))
    end
    local text = string.format("Peer Transfer: Unknown or improper format Src=%d Dst=%d", b[2], b[4] * 128 + b[3])
    for n = 1, 8 do text = text .. string.format(" D%d=%02X", n, peer_data(b, n)) end
    return text
end

-- The decoders of the kinds the display decodes; every other kind shows its raw text.
local kDecoders = {
    ["OPC_SWREQ"] = function(b)
        return "OPC_SWREQ: Switch request, point number = " .. point_number(b[1], b[2]) ..
               kSwitchStates[band(rshift(b[2], 4), 3)]
    end,
    ["OPC_SENSORREP"] = function(b)
        local v = bor(band(b[1], 0x7F), lshift(band(b[2], 0x0F), 7))
        local input = band(v, 7) * 2 + (band(b[2], 0x20) ~= 0 and 1 or 0) + 1
        return "OPC_SENSORREP sensor report:" .. (rshift(v, 3) + 1) .. "," .. input ..
               (band(b[2], 0x10) ~= 0 and " On" or " Off")
    end,
    ["OPC_SE"] = function(b)
        local a, r = normalise_aspect(b[6]), normalise_aspect(b[7])
        local aspect = 3
        if a == 0 then aspect = 0 elseif a <= 8 then aspect = 1 elseif a <= 16 then aspect = 2 end
        if r > 0 then aspect = 4 end
        return "<SE> Signal message, Signal number = " .. (bor(lshift(b[2], 7), b[3]) + 1) .. kAspects[aspect]
    end,
    ["OPC_TOFB"] = function(b)
        return "Turnout Feedback, point number = " .. point_number(b[1], b[2]) ..
               (band(b[2], 0x10) ~= 0 and " is CLOSED" or " is THROWN")
    end,
    ["OPC_LOCOSPD"] = function(b)
        return "OPC_LOCO_SPD throttle speed: slot=" .. b[1] .. ", speed=" .. b[2]
    end,
    ["OPC_LOCODIRF"] = function(b)
        local functions = bor(band(rshift(b[2], 4), 1), lshift(band(b[2], 0x0F), 1))
        return "OPC_LOCO_DIRF throttle direction: slot=" .. b[1] ..
               (band(b[2], 0x20) == 0 and ", FORWARD; " or ", REVERSE; ") .. function_texts(functions, 5, 0)
    end,
    ["OPC_LOCOSND"] = function(b)
        return "OPC_LOCO_SND throttle functions: slot=" .. b[1] .. "; " .. function_texts(band(b[2], 0x0F), 4, 5)
    end,
    ["OPC_LOCOF912"] = function(b)
        return "OPC_LOCO_F9F12 throttle functions: slot=" .. b[1] .. "; " .. function_texts(band(b[2], 0x0F), 4, 9)
    end,
    ["OPC_MOVESLOTS"] = function(b)
        return "OPC_MOVE_SLOTS: move FROM slot " .. b[1] .. " TO slot " .. b[2]
    end,
    ["OPC_SLOTSTAT1"] = function(b)
        local consist = 2 * band(rshift(b[2], 3), 1) + band(rshift(b[2], 6), 1)
        return "OPC_SLOT_STAT1: slot=" .. b[1] .. ";" .. kSlotUsage[band(rshift(b[2], 4), 3)] .. ";" ..
               kConsist[consist] .. ";" .. kDecoderTypes[band(b[2], 7)]
    end,
    ["OPC_LOCOADR"] = function(b) return "OPC_LOCO_ADDR, loco=" .. (b[1] * 128 + b[2]) end,
    ["OPC_LONGACK"] = function(b)
        local opcode = b[1] == 0 and "fail" or string.format("%02X", bor(b[1], 0x80))
        return "OPC_LONG_ACK opcode=" .. opcode .. ", response=" .. b[2]
    end,
    ["OPC_SVACCESS Type 2"] = sv_text,
    ["OPC_PEERXFER"] = peer_text,
}

-- ---- The dissector --------------------------------------------------------

local function add_sv_fields(tree, tvb, offset, b)
    local sv = tree:add(proto, tvb(offset, 16), "SV access")
    local _, _, request = sv_kind(b)
    sv:add(f.sv_command, tvb(offset + 3, 1))
    sv:add(f.sv_reply, tvb(offset + 3, 1), band(b[3], 0x40) ~= 0)
    sv:add(f.sv_source, tvb(offset + 2, 1))
    if request == "Discover" or request == "Identify" or request == "ChangeAddress" then
        sv:add(f.sv_vendor, tvb(offset + 8, 2), sv_word(b, 3))
        sv:add(f.sv_device, tvb(offset + 11, 2), sv_word(b, 0))
        sv:add(f.sv_serial, tvb(offset + 13, 2), sv_word(b, 1))
        if request == "ChangeAddress" then sv:add(f.sv_new_address, tvb(offset + 6, 2), sv_word(b, 2)) end
        return
    end
    sv:add(f.sv_destination, tvb(offset + 6, 2), sv_word(b, 2))
    if request == "Reconfigure" or request == nil then return end
    sv:add(f.sv_address, tvb(offset + 8, 2), sv_word(b, 3))
    local count = (request == "Write 4 Bytes" or request == "Read 4 Bytes") and 4 or 1
    for i = 0, count - 1 do
        sv:add(f.sv_data, tvb(offset + 11 + i, 1), sv_byte(b, i)):prepend_text("D" .. (i + 1) .. " ")
    end
    if request == "Masked Write" then sv:add(f.sv_mask, tvb(offset + 12, 1), sv_byte(b, 1)) end
end

-- One message from offset; returns its length (the rest of the packet when
-- it announces more than there is).
local function dissect_message(tvb, pinfo, tree, offset)
    local left = tvb:len() - offset
    local b = {}
    for i = 0, math.min(left, 127) - 1 do b[i] = tvb(offset + i, 1):uint() end
    local n = left
    if band(b[0], 0x80) ~= 0 and left >= 2 then n = math.min(expected_length(b), left) end
    if n < 1 then n = left end
    local kind = kind_of(b, n)
    local decode = kDecoders[kind]
    local text = decode and decode(b) or (kind .. ":" .. hex_text(b, n))

    local item = tree:add(proto, tvb(offset, n), "LocoNet: " .. text)
    item:add(f.opcode, tvb(offset, 1))
    item:add(f.kind, tvb(offset, n), kind)
    item:add(f.text, tvb(offset, n), text)
    item:add(f.hex, tvb(offset, n), hex_text(b, n))
    item:add(f.length, tvb(offset, n), n)
    if n >= 2 then
        item:add(f.checksum, tvb(offset + n - 1, 1))
        item:add(f.checksum_ok, tvb(offset + n - 1, 1), is_valid(b, n))
    end
    if kind == "OPC_SVACCESS Type 2" then add_sv_fields(item, tvb, offset, b) end
    return n, text
end

function proto.dissector(tvb, pinfo, tree)
    pinfo.cols.protocol = "LocoNet"
    local offset, texts = 0, {}
    while offset < tvb:len() do
        local n, text = dissect_message(tvb, pinfo, tree, offset)
        texts[#texts + 1] = text
        offset = offset + n
    end
    pinfo.cols.info = table.concat(texts, " | ")
    return tvb:len()
end

DissectorTable.get("wtap_encap"):add(wtap.USER0, proto)
